#include "common/ansi_text.h"

#include "common/code_page.h"

namespace {

// Windows-1252's bytes 0x80 to 0x9F; the five it leaves undefined map to
// the control characters of the same value, as Windows maps them.
const unsigned short kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Copies valid UTF-8 sequences as they are; anything else becomes U+FFFD.
void AppendCheckedUtf8(std::string &out, const unsigned char *p) {
    while (*p) {
        unsigned c = *p;
        int extra = c < 0x80             ? 0
                    : (c & 0xE0) == 0xC0 ? 1
                    : (c & 0xF0) == 0xE0 ? 2
                    : (c & 0xF8) == 0xF0 ? 3
                                         : -1;
        unsigned cp = extra == 0   ? c
                      : extra == 1 ? (c & 0x1F)
                      : extra == 2 ? (c & 0x0F)
                                   : (c & 0x07);
        int i = 1;
        for (; extra > 0 && i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) break;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        static const unsigned kLeast[4] = {0, 0x80, 0x800, 0x10000};
        bool valid = extra >= 0 && i == extra + 1 && cp >= kLeast[extra] && cp <= 0x10FFFF &&
                     !(cp >= 0xD800 && cp <= 0xDFFF);
        if (valid) {
            out.append(reinterpret_cast<const char *>(p), static_cast<size_t>(extra + 1));
            p += extra + 1;
        } else {
            AppendUtf8CodePoint(out, 0xFFFD);
            p += 1;
        }
    }
}

} // namespace

void AppendUtf8CodePoint(std::string &out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf8FromAnsi(std::string &out, const char *text, unsigned code_page) {
    if (!text) return;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    if (code_page == 65001) {
        AppendCheckedUtf8(out, p);
        return;
    }
    bool table = code_page == 1252 || code_page == 28591;
    bool ascii = true;
    for (const unsigned char *q = p; *q; ++q)
        if (*q >= 0x80) ascii = false;
    if (!table && !ascii && SystemAnsiToUtf8(code_page, text, out)) return;
    for (; *p; ++p) {
        unsigned c = *p;
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (!table)
            AppendUtf8CodePoint(out, 0xFFFD);
        else if (code_page == 1252 && c < 0xA0)
            AppendUtf8CodePoint(out, kWindows1252High[c - 0x80]);
        else
            AppendUtf8CodePoint(out, c); // Latin-1 is the first 256 code points
    }
}

const char *IanaCharsetName(unsigned code_page) {
    switch (code_page) {
    case 874:
        return "windows-874";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "EUC-KR";
    case 950:
        return "Big5";
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1252:
        return "windows-1252";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1255:
        return "windows-1255";
    case 1256:
        return "windows-1256";
    case 1257:
        return "windows-1257";
    case 1258:
        return "windows-1258";
    case 28591:
        return "ISO-8859-1";
    case 65001:
        return "UTF-8";
    default:
        return nullptr;
    }
}

namespace {

// The next UTF-8 sequence of p as its code point; p is moved past it and
// the sequence is appended to text.
unsigned NextCodePoint(const unsigned char *&p, std::string &text) {
    const unsigned char *start = p;
    unsigned c = *p;
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : 3;
    unsigned cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    int i = 1;
    for (; i <= extra && (p[i] & 0xC0) == 0x80; ++i) cp = (cp << 6) | (p[i] & 0x3F);
    p += i;
    text.assign(reinterpret_cast<const char *>(start), static_cast<size_t>(p - start));
    return cp;
}

// The byte of cp in 1252 or 28591; -1 when it has none.
int TableByte(unsigned cp, unsigned code_page) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (code_page == 28591) return cp <= 0xFF ? static_cast<int>(cp) : -1;
    if (cp >= 0xA0 && cp <= 0xFF) return static_cast<int>(cp);
    for (unsigned b = 0; b < 32; ++b)
        if (kWindows1252High[b] == cp) return static_cast<int>(0x80 + b);
    return -1;
}

} // namespace

bool AnsiFromUtf8(const std::string &utf8, unsigned code_page, std::string &out,
                  std::string &lacking) {
    lacking.clear();
    std::string text = utf8.substr(0, utf8.find('\0'));
    if (code_page == 65001) {
        out += text;
        return true;
    }
    bool table = code_page == 1252 || code_page == 28591;
    bool ascii = true;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
    if (ascii) {
        out += text;
        return true;
    }
    if (!table) {
        if (SystemUtf8ToAnsi(code_page, text, out, lacking)) return true;
        if (!lacking.empty()) return false;
    }
    // By the tables; a code page the platform does not know holds ASCII alone.
    std::string converted, sequence;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text.c_str()); *p;) {
        unsigned cp = NextCodePoint(p, sequence);
        int byte = table ? TableByte(cp, code_page) : cp < 0x80 ? static_cast<int>(cp) : -1;
        if (byte < 0) {
            lacking = sequence;
            return false;
        }
        converted += static_cast<char>(byte);
    }
    out += converted;
    return true;
}

void AppendHtmlEscaped(std::string &out, const char *text, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        switch (text[i]) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += text[i];
        }
    }
}
