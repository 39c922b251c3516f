#include "server/web/sign_body.h"

#include "common/ansi_text.h"
#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/publish/request_framer.h"

#include <cstring>

namespace {

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
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
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
            default: return false;
            }
        }
        return false;
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

} // namespace

bool ReadSignBody(const char *body, size_t size, SignBody &out) {
    if (size > kMaxSignBodyBytes) return false;
    JsonReader json(body, body + size);
    out = SignBody();
    bool has_name = false;
    bool has_in = false;
    if (!json.Take('{')) return false;
    if (!json.Take('}')) {
        do {
            std::string key;
            if (!json.String(key) || !json.Take(':')) return false;
            std::string *text = key == "name"          ? &out.name
                                : key == "time"        ? &out.time
                                : key == "destination" ? &out.destination
                                : key == "return"      ? &out.return_time
                                                       : nullptr;
            if (text) {
                if (json.Peek() != '"' || !json.String(*text)) return false;
                if (text == &out.name) has_name = true;
            } else if (key == "in") {
                json.Space();
                if (json.Word("true")) out.in = true;
                else if (json.Word("false")) out.in = false;
                else return false;
                has_in = true;
            } else if (!json.Skip()) {
                return false;
            }
        } while (json.Take(','));
        if (!json.Take('}')) return false;
    }
    return json.AtEnd() && has_name && has_in;
}

bool SignRequestLine(const SignBody &body, unsigned code_page, const char *clock_text,
                     std::string &line) {
    RequestFields fields = {};
    fields.signed_in = body.in;
    std::string name = AnsiFromUtf8(body.name, code_page);
    if (name.empty() || HoldsFieldSeparator(name.c_str())) return false;
    CopyCut(fields.name, name.c_str());
    std::string time = body.time.empty() ? std::string(clock_text) : AnsiFromUtf8(body.time, code_page);
    CopyCut(fields.in_time, time.c_str());
    CopyCut(fields.out_time, time.c_str());
    CopyCut(fields.destination, AnsiFromUtf8(body.destination, code_page).c_str());
    CopyCut(fields.return_time, AnsiFromUtf8(body.return_time, code_page).c_str());
    char built[kRequestLineCapacity];
    size_t length = BuildRequestLine(fields, built, sizeof built);
    // Framed as the sign-in port frames what arrives: the same line.
    RequestFramer framer;
    if (framer.Feed(built, length) != FrameState::Complete) return false;
    line = framer.Line();
    return true;
}
