#include "common/code_page.h"

#include <windows.h>

#include <cwchar>

unsigned ActiveCodePage() { return GetACP(); }

bool SystemAnsiToUtf8(unsigned code_page, const char *text, std::string &out) {
    int wide_size = MultiByteToWideChar(code_page, 0, text, -1, nullptr, 0);
    if (wide_size <= 0) return false;
    std::wstring wide(static_cast<size_t>(wide_size), L'\0');
    if (MultiByteToWideChar(code_page, 0, text, -1, &wide[0], wide_size) != wide_size) return false;
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    std::string utf8(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], size, nullptr, nullptr) != size)
        return false;
    utf8.resize(static_cast<size_t>(size - 1)); // the NUL
    out += utf8;
    return true;
}

namespace {

void AppendUtf8Of(const wchar_t *wide, int size, std::string &out) {
    char bytes[16];
    int n = WideCharToMultiByte(CP_UTF8, 0, wide, size, bytes, sizeof bytes, nullptr, nullptr);
    if (n > 0) out.append(bytes, static_cast<size_t>(n));
}

} // namespace

bool SystemUtf8ToAnsi(unsigned code_page, const std::string &utf8, std::string &out,
                      std::string &lacking) {
    lacking.clear();
    if (utf8.empty()) return true;
    int wide_size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, 0);
    if (wide_size <= 0) return false;
    std::wstring wide(static_cast<size_t>(wide_size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        &wide[0], wide_size);
    // One character (a surrogate pair is one) at a time, each turned back:
    // a character that does not come back the same has no byte of its own
    // in the code page (the system wrote its default character or a
    // look-alike).
    std::string converted;
    for (size_t i = 0; i < wide.size();) {
        int n = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() ? 2 : 1;
        char bytes[16];
        BOOL used_default = FALSE;
        int size = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, &wide[i], n, bytes,
                                       sizeof bytes, nullptr, &used_default);
        if (size <= 0 && GetLastError() == ERROR_INVALID_PARAMETER)
            return false; // no such code page
        wchar_t back[4];
        int back_size = size > 0 ? MultiByteToWideChar(code_page, 0, bytes, size, back, 4) : 0;
        if (size <= 0 || used_default || back_size != n ||
            std::wmemcmp(back, &wide[i], static_cast<size_t>(n)) != 0) {
            AppendUtf8Of(&wide[i], n, lacking);
            return false;
        }
        converted.append(bytes, static_cast<size_t>(size));
        i += static_cast<size_t>(n);
    }
    out += converted;
    return true;
}
