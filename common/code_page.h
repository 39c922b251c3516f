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

// Converts UTF-8 text (valid UTF-8 expected) to the code page, appending to
// out, by the platform's own conversion (WideCharToMultiByte on Windows,
// iconv natively). A character the code page cannot hold is never written
// as a default character or a look-alike: the conversion stops, out is left
// alone and lacking gets that character (its UTF-8). Returns false then, and
// when the platform does not know the code page (lacking empty).
bool SystemUtf8ToAnsi(unsigned code_page, const std::string &utf8, std::string &out,
                      std::string &lacking);
