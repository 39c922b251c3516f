// The ANSI code page the programs' 8-bit texts are in. One implementation
// per platform, chosen by the build: code_page_win32.cpp asks Windows,
// code_page_posix.cpp stands for the usual Western code page.
#pragma once
#include <string>

// GetACP() on Windows; 1252 natively.
unsigned ActiveCodePage();

// Converts text in a code page the portable tables do not know to UTF-8,
// appending to out. Returns false when the platform cannot convert it either
// (natively always), leaving out alone.
bool SystemAnsiToUtf8(unsigned code_page, const char *text, std::string &out);
