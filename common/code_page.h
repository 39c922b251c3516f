// The ANSI code page the programs' 8-bit texts are in. One implementation
// per platform, chosen by the build: code_page_win32.cpp asks Windows,
// code_page_posix.cpp answers the code page the configuration names
// (code_page_posix.h) and converts with iconv.
#pragma once
#include <string>

// GetACP() on Windows; natively the configured one, 1252 by default.
unsigned ActiveCodePage();

// Converts text in a code page the portable tables do not know to UTF-8,
// appending to out. Returns false when the platform cannot convert it either
// (natively: iconv does not know it), leaving out alone.
bool SystemAnsiToUtf8(unsigned code_page, const char *text, std::string &out);
