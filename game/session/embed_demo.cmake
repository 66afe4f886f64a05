# Writes the demo replay into a C++ source as one raw string.
file(READ ${IN} text)
file(WRITE ${OUT}
    "#include \"game/session/watching.h\"\n\n"
    "const char* const kBuiltInDemo = R\"pomvex-demo(${text})pomvex-demo\";\n")
