# The source gathering that the main build and the fuzz build share (cmake/SolenSources.cmake),
# run as a script: cmake -DWORK_DIR=<a folder of its own> -P SolenSourcesTests.cmake
# Part of it reads the repository's own src/, part a small tree made under WORK_DIR.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/SolenSources.cmake)
if(NOT WORK_DIR)
  message(FATAL_ERROR "WORK_DIR is not set")
endif()

set(failures 0)
macro(fail message)
  message(SEND_ERROR "${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

# Runs solen_module_sources(<args>) in a cmake of its own on the tree at `root`; `result` gets the
# exit code, `output` what it printed (the sources, or the error).
function(gather result output root)
  string(REPLACE ";" " " arguments "${ARGN}")
  file(WRITE ${WORK_DIR}/gather.cmake
       "include(${SOLEN_SOURCE_ROOT}/cmake/SolenSources.cmake)\n"
       "set(SOLEN_SOURCE_ROOT ${root})\n"
       "solen_module_sources(found ${arguments})\n"
       "foreach(source IN LISTS found)\n  message(STATUS \"source \${source}\")\nendforeach()\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -P ${WORK_DIR}/gather.cmake
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${result} ${code} PARENT_SCOPE)
  set(${output} "${out}${err}" PARENT_SCOPE)
endfunction()

# The repository: the library takes every source but the media module's, and the media module
# has sources of its own, so each file is built exactly once by the main build.
file(GLOB_RECURSE all_sources ${SOLEN_SOURCE_ROOT}/src/*.cpp)
solen_library_sources(library)
solen_module_sources(media ${SOLEN_MEDIA_MODULE})
foreach(source IN LISTS media)
  if(source IN_LIST library)
    fail("the library compiles the media module's ${source}")
  endif()
endforeach()
set(built ${library} ${media})
list(SORT built)
list(SORT all_sources)
if(NOT built STREQUAL all_sources)
  fail("the library and the media module do not build exactly src/*.cpp")
endif()

# A module is its folder's own sources: a subfolder is a module of its own.
set(tree ${WORK_DIR}/tree)
file(REMOVE_RECURSE ${tree})
file(WRITE ${tree}/src/Outer/Reader.cpp "")
file(WRITE ${tree}/src/Outer/HeaderReader.cpp "")
file(WRITE ${tree}/src/Outer/Inner/Writer.cpp "")
file(WRITE ${tree}/src/Empty/Only.h "")
gather(code out ${tree} Outer)
if(NOT code EQUAL 0 OR NOT out MATCHES "/Outer/Reader.cpp" OR NOT out MATCHES "/Outer/HeaderReader.cpp")
  fail("Outer does not give its own sources: ${out}")
endif()
if(out MATCHES "Writer.cpp")
  fail("Outer took its subfolder's source: ${out}")
endif()

# An exclusion leaves out the file of that name, and not another whose name ends alike.
gather(code out ${tree} Outer EXCLUDING Reader.cpp)
if(NOT code EQUAL 0 OR out MATCHES "/Outer/Reader.cpp")
  fail("Reader.cpp was not left out: ${out}")
endif()
if(NOT out MATCHES "/Outer/HeaderReader.cpp")
  fail("HeaderReader.cpp was left out with Reader.cpp: ${out}")
endif()

# An exclusion that matches nothing (a stand-in whose file was renamed) and a module without
# sources (a folder renamed, or with headers only) stop the configure, naming what is wrong.
gather(code out ${tree} Outer EXCLUDING Writer.cpp)
if(code EQUAL 0 OR NOT out MATCHES "'Writer.cpp'")
  fail("excluding a file the module does not have passed or did not name it: ${out}")
endif()
gather(code out ${tree} Outer Empty)
if(code EQUAL 0 OR NOT out MATCHES "'Empty'")
  fail("a module without sources passed or was not named: ${out}")
endif()
gather(code out ${tree} Missing)
if(code EQUAL 0)
  fail("a module that does not exist passed: ${out}")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} expectation(s) failed")
endif()
message(STATUS "SolenSourcesTests passed")
