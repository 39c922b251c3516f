#include "common/code_page.h"

#include <windows.h>

unsigned ActiveCodePage() { return GetACP(); }

bool SystemAnsiToUtf8(unsigned code_page, const char *text, std::string &out) {
    int wide_size = MultiByteToWideChar(code_page, 0, text, -1, nullptr, 0);
    if (wide_size <= 0) return false;
    std::wstring wide(static_cast<size_t>(wide_size), L'\0');
    if (MultiByteToWideChar(code_page, 0, text, -1, &wide[0], wide_size) != wide_size) return false;
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    std::string utf8(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], size, nullptr, nullptr) != size) return false;
    utf8.resize(static_cast<size_t>(size - 1)); // the NUL
    out += utf8;
    return true;
}
