# Writes OUTPUT, a C++ file that holds each of FILES (the page's files, in
# DIRECTORY, their names separated by commas) as an array of bytes, and PageAsset() to find them by name.
# Run as a script (cmake -P) at build time, so that an edit of the page is
# built in without configuring again.
set(body "// Made by page_assets.cmake from the page's files: do not edit.\n#include \"page_assets.h\"\n\nnamespace ui {\n\nnamespace {\n")
set(table "")
set(index 0)
string(REPLACE "," ";" FILES "${FILES}")
foreach(file IN LISTS FILES)
  file(READ "${DIRECTORY}/${file}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char kAsset${index}[] = {${bytes}0};\n")
  string(APPEND table "    {\"${file}\", kAsset${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND body "\nstruct Asset {\n    const char *name;\n    const unsigned char *bytes;\n    size_t size;\n};\n\nconst Asset kAssets[] = {\n${table}};\n\n}  // namespace\n\n")
string(APPEND body "std::string PageAsset(const std::string &name)\n{\n    for (const Asset &asset : kAssets)\n        if (name == asset.name)\n            return std::string(reinterpret_cast<const char *>(asset.bytes), asset.size);\n    return \"\";\n}\n\n}  // namespace ui\n")
file(WRITE "${OUTPUT}.new" "${body}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.new" "${OUTPUT}")
file(REMOVE "${OUTPUT}.new")
