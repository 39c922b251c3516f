// A small reader of JSON documents held whole in memory: white space,
// single characters, literal words, strings (into UTF-8, escapes and
// surrogate pairs decoded, broken UTF-8 refused) and the skipping of plain
// values. The browsers' request bodies are read with it.
#pragma once
#include <cstring>
#include <string>

#include "common/ansi_text.h"

class JsonReader {
  public:
    JsonReader(const char *p, const char *end) : p_(p), end_(end) {}

    void Space() {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
    }
    bool Take(char c) {
        Space();
        if (p_ < end_ && *p_ == c) {
            ++p_;
            return true;
        }
        return false;
    }
    bool AtEnd() {
        Space();
        return p_ == end_;
    }
    bool Word(const char *word) {
        size_t n = std::strlen(word);
        if (static_cast<size_t>(end_ - p_) < n || std::memcmp(p_, word, n) != 0) return false;
        p_ += n;
        return true;
    }
    char Peek() {
        Space();
        return p_ < end_ ? *p_ : '\0';
    }

    // A JSON string into out as UTF-8; false when it is broken.
    bool String(std::string &out) {
        if (!Take('"')) return false;
        out.clear();
        while (p_ < end_) {
            unsigned char c = static_cast<unsigned char>(*p_++);
            if (c == '"') return ValidUtf8(out);
            if (c < 0x20) return false;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (p_ == end_) return false;
            char e = *p_++;
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned cp = 0;
                if (!Hex4(cp)) return false;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    unsigned low = 0;
                    if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    return false;
                }
                AppendUtf8CodePoint(out, cp);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    // true or false.
    bool Bool(bool &value) {
        Space();
        if (Word("true"))
            value = true;
        else if (Word("false"))
            value = false;
        else
            return false;
        return true;
    }

    // A value we do not use: a string, a number, true, false or null.
    bool Skip() {
        char c = Peek();
        std::string ignored;
        if (c == '"') return String(ignored);
        if (Word("true") || Word("false") || Word("null")) return true;
        const char *start = p_;
        while (p_ < end_ && std::strchr("+-.0123456789eE", *p_) && *p_ != '\0') ++p_;
        return p_ > start;
    }

  private:
    bool Hex4(unsigned &value) {
        if (end_ - p_ < 4) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            char c = *p_++;
            unsigned digit = c >= '0' && c <= '9'   ? c - '0'
                             : c >= 'a' && c <= 'f' ? c - 'a' + 10
                             : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                    : 16;
            if (digit == 16) return false;
            value = value * 16 + digit;
        }
        return true;
    }
    static bool ValidUtf8(const std::string &text) {
        std::string checked;
        AppendUtf8FromAnsi(checked, text.c_str(), 65001);
        return checked == text && text.find('\0') == std::string::npos;
    }

    const char *p_;
    const char *end_;
};
