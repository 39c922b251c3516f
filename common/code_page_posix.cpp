#include "common/code_page.h"

unsigned ActiveCodePage() { return 1252; }

bool SystemAnsiToUtf8(unsigned, const char *, std::string &) { return false; }
