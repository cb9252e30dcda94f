# Turns a data file into a C++ source defining orvane::data::<NAME> as a string_view.
# Written as a raw byte array so any content (tabs, quotes, UTF-8) survives exactly.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hexlen)
math(EXPR size "${hexlen} / 2")
# Character literals, not 0xNN ints: bytes above 0x7f (UTF-8) would narrow into a signed char.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('[^']+',){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT} "// Generated from ${NAME}.tsv; do not edit.\n#include <string_view>\nnamespace orvane::data {\nnamespace {\nconstexpr char bytes[${size} + 1] = {\n${bytes}0};\n}\nextern const std::string_view ${NAME};\nconst std::string_view ${NAME}{bytes, ${size}};\n}\n")
