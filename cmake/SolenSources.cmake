# Where the SDK's sources are gathered, for every build that compiles them: the main build
# (CMakeLists.txt: the library's objects and the media module) and the fuzz build
# (fuzz/CMakeLists.txt, the same files compiled with clang and the fuzzing instrumentation).
# Nothing here names a source file: a file added to a folder of src/ is compiled by both builds at
# the next configure, so neither can miss it.
#
# A module is one folder of src/ with the .cpp files directly in it (not those of its
# subfolders), named by its path below src/: "Platform/Foundation", "Ad/RenderEngine/Vast/Parser".
include_guard(GLOBAL)

get_filename_component(SOLEN_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# The media module: built as libsolen-media.so and loaded at run time, never part of the library.
set(SOLEN_MEDIA_MODULE Platform/Media/Module)

# A build globs again before each build, so that a new file is picked up without a manual
# configure; a script (cmake -P, as the tests run this file) has no build to do it for.
macro(_solen_glob_recheck var)
  if(CMAKE_SCRIPT_MODE_FILE)
    set(${var} "")
  else()
    set(${var} CONFIGURE_DEPENDS)
  endif()
endmacro()

# solen_library_sources(<var>)
# Every source of the SDK library: all of src/ but the media module.
function(solen_library_sources var)
  _solen_glob_recheck(recheck)
  file(GLOB_RECURSE sources ${recheck} ${SOLEN_SOURCE_ROOT}/src/*.cpp)
  file(GLOB_RECURSE media_module ${recheck} ${SOLEN_SOURCE_ROOT}/src/${SOLEN_MEDIA_MODULE}/*.cpp)
  list(REMOVE_ITEM sources ${media_module})
  set(${var} ${sources} PARENT_SCOPE)
endfunction()

# solen_module_sources(<var> <module>... [EXCLUDING <file name>...])
# The sources of the named modules, less the files named after EXCLUDING (a build that puts a
# stand-in of its own in their place). A module without sources, or an excluded name that matches
# none of them, stops the configure: a folder that was renamed or a file that was moved must not
# leave a build quietly compiling something else.
function(solen_module_sources var)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "EXCLUDING")
  _solen_glob_recheck(recheck)
  set(sources "")
  foreach(module IN LISTS arg_UNPARSED_ARGUMENTS)
    file(GLOB found ${recheck} ${SOLEN_SOURCE_ROOT}/src/${module}/*.cpp)
    if(NOT found)
      message(FATAL_ERROR "The SDK module '${module}' has no sources (no ${SOLEN_SOURCE_ROOT}/src/${module}/*.cpp)")
    endif()
    list(APPEND sources ${found})
  endforeach()
  foreach(name IN LISTS arg_EXCLUDING)
    set(kept "")
    set(matched FALSE)
    foreach(source IN LISTS sources)
      get_filename_component(file_name ${source} NAME)
      if(file_name STREQUAL name)
        set(matched TRUE)
      else()
        list(APPEND kept ${source})
      endif()
    endforeach()
    if(NOT matched)
      message(FATAL_ERROR "'${name}' is to be left out of the modules ${arg_UNPARSED_ARGUMENTS}, but none of them has it")
    endif()
    set(sources ${kept})
  endforeach()
  set(${var} ${sources} PARENT_SCOPE)
endfunction()
