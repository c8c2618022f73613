# Writes a C++ source whose function returns the text of a file, unchanged.
#   cmake -DINPUT=<text file> -DOUTPUT=<.cpp> -DHEADER=<include> -DFUNCTION=<name> -P EmbedText.cmake
file(READ "${INPUT}" text)
string(FIND "${text}" ")embedded\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw string delimiter")
endif()
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace solen {\n\n"
  "std::string_view ${FUNCTION}() {\n"
  "    static constexpr char text[] = R\"embedded(${text})embedded\";\n"
  "    return {text, sizeof text - 1};\n"
  "}\n\n"
  "}  // namespace solen\n")
