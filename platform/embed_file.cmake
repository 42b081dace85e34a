# Turns a file into C++ source at build time.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp|.inc> -DSYMBOL=<name> [-DTYPE=<type> -DNAME=<id>] -P embed_file.cmake
# Without TYPE it writes `const unsigned char SYMBOL[]` (one padding byte at the
# end, so that an empty or missing input still gives a valid array). With TYPE
# and NAME it writes a source file that adds the bytes to the program's
# resource table before main, as resource NAME of type TYPE.
if(EXISTS "${INPUT}")
  file(READ "${INPUT}" hex HEX)
else()
  set(hex "")
endif()
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
set(array "const unsigned char ${SYMBOL}[] = {\n${bytes}0x00};\n")
if(DEFINED TYPE)
  if(NAME MATCHES "^[0-9]+$")
    set(name "MAKEINTRESOURCEA(${NAME})")
  else()
    set(name "\"${NAME}\"")
  endif()
  file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT} by embed_file.cmake.\n"
    "#include \"platform/portable/resource_table.h\"\n\nnamespace {\n\n${array}\n"
    "[[maybe_unused]] const bool registered = portable::registerResource(\"${TYPE}\", ${name}, ${SYMBOL}, ${size});\n\n}  // namespace\n")
else()
  file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT} by embed_file.cmake.\n${array}")
endif()
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
