#include "common/code_page.h"

unsigned ActiveCodePage() { return 1252; }

int SystemAnsiToUtf8(unsigned, const char *, std::string &) { return 0; }
