#include "common/code_page.h"
#include "common/code_page_posix.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

unsigned g_code_page = 1252;

// iconv's name of a Windows code page.
void IconvName(unsigned code_page, char *out, size_t capacity) {
    if (code_page == 28591)
        std::snprintf(out, capacity, "ISO-8859-1");
    else if (code_page == 65001)
        std::snprintf(out, capacity, "UTF-8");
    else
        std::snprintf(out, capacity, "CP%u", code_page);
}

} // namespace

bool CodePageUsable(unsigned code_page) {
    if (code_page == 1252 || code_page == 28591 || code_page == 65001) return true;
    char name[32];
    IconvName(code_page, name, sizeof name);
    iconv_t converter = iconv_open("UTF-8", name);
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(converter);
    return true;
}

void UseCodePage(unsigned code_page) { g_code_page = code_page; }

unsigned ActiveCodePage() { return g_code_page; }

bool SystemAnsiToUtf8(unsigned code_page, const char *text, std::string &out) {
    char name[32];
    IconvName(code_page, name, sizeof name);
    iconv_t converter = iconv_open("UTF-8", name);
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    std::string converted;
    char *in = const_cast<char *>(text);
    size_t in_left = std::strlen(text);
    char buffer[1024];
    while (in_left > 0) {
        char *to = buffer;
        size_t to_left = sizeof buffer;
        size_t done = iconv(converter, &in, &in_left, &to, &to_left);
        converted.append(buffer, sizeof buffer - to_left);
        if (done != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // A byte the code page does not define stands for U+FFFD, as the
        // tables make it.
        converted += "\xEF\xBF\xBD";
        ++in;
        --in_left;
    }
    iconv_close(converter);
    out += converted;
    return true;
}

namespace {

// The length of the UTF-8 sequence that begins with lead (1 for a stray
// byte).
size_t SequenceLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

} // namespace

bool SystemUtf8ToAnsi(unsigned code_page, const std::string &utf8, std::string &out,
                      std::string &lacking) {
    lacking.clear();
    char name[32];
    IconvName(code_page, name, sizeof name);
    iconv_t converter = iconv_open(name, "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    std::string converted(utf8.size() * 4 + 4, '\0');
    char *in = const_cast<char *>(utf8.data());
    size_t in_left = utf8.size();
    char *to = &converted[0];
    size_t to_left = converted.size();
    size_t done = iconv(converter, &in, &in_left, &to, &to_left);
    if (done != static_cast<size_t>(-1)) done = iconv(converter, nullptr, nullptr, &to, &to_left);
    int error = errno;
    iconv_close(converter);
    if (done == static_cast<size_t>(-1)) {
        // EILSEQ: in is at the character the code page lacks.
        if (error == EILSEQ && in_left > 0) {
            size_t length = SequenceLength(static_cast<unsigned char>(*in));
            lacking.assign(in, length < in_left ? length : in_left);
        }
        return false;
    }
    converted.resize(converted.size() - to_left);
    out += converted;
    return true;
}
