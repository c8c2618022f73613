# The libraries the SDK's sources compile and link against, found once for every build that
# compiles them (the main build and the fuzz build), so that neither can miss a new one.
# Included at the top level of a project: the imported targets are that directory's.
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(CURL REQUIRED)
find_package(nlohmann_json 3.11 REQUIRED)
find_package(EXPAT REQUIRED)
pkg_check_modules(UUID REQUIRED IMPORTED_TARGET uuid)
find_package(simdjson REQUIRED)
