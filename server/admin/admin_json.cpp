#include "server/admin/admin_json.h"

#include <cstdio>
#include <cstring>

#include "common/ansi_text.h"

namespace {

class Reader {
  public:
    explicit Reader(const std::string &text) : p_(text.data()), end_(text.data() + text.size()) {}

    void Space() {
        while (p_ < end_ && std::strchr(" \t\r\n", *p_) && *p_ != '\0') ++p_;
    }
    bool Take(char c) {
        Space();
        if (p_ == end_ || *p_ != c) return false;
        ++p_;
        return true;
    }
    bool AtEnd() {
        Space();
        return p_ == end_;
    }
    bool Word(const char *word) {
        Space();
        size_t n = std::strlen(word);
        if (static_cast<size_t>(end_ - p_) < n || std::memcmp(p_, word, n) != 0) return false;
        p_ += n;
        was_true_ = word[0] == 't';
        return true;
    }
    bool WasTrue() const { return was_true_; }
    bool String(std::string &out);

  private:
    bool Hex4(unsigned &value);
    bool Escape(std::string &out);
    const char *p_;
    const char *end_;
    bool was_true_ = false;
};

bool Reader::Hex4(unsigned &value) {
    if (end_ - p_ < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) {
        char c = *p_++;
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

bool Reader::Escape(std::string &out) {
    if (p_ == end_) return false;
    char e = *p_++;
    const char *plain = std::strchr("\"\\/bfnrt", e);
    if (plain && e != '\0') {
        static const char kMeant[] = "\"\\/\b\f\n\r\t";
        out += kMeant[plain - "\"\\/bfnrt"];
        return true;
    }
    if (e != 'u') return false;
    unsigned cp;
    if (!Hex4(cp)) return false;
    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        unsigned low;
        if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u') return false;
        p_ += 2;
        if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8CodePoint(out, cp);
    return true;
}

bool ValidUtf8(const std::string &text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t extra = c < 0x80         ? 0
                       : (c >> 5) == 6  ? 1
                       : (c >> 4) == 14 ? 2
                       : (c >> 3) == 30 ? 3
                                        : 9;
        if (extra == 9 || text.size() - i <= extra) return false;
        unsigned cp = extra == 0 ? c : c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        static const unsigned kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

bool Reader::String(std::string &out) {
    if (!Take('"')) return false;
    out.clear();
    while (p_ < end_) {
        unsigned char c = static_cast<unsigned char>(*p_++);
        if (c == '"') return ValidUtf8(out);
        if (c < 0x20) return false;
        if (c != '\\')
            out += static_cast<char>(c);
        else if (!Escape(out))
            return false;
    }
    return false;
}

} // namespace

bool ReadJsonObject(const std::string &body, std::vector<JsonMember> &members) {
    members.clear();
    if (body.size() > kMaxAdminBodyBytes) return false;
    Reader reader(body);
    if (!reader.Take('{')) return false;
    if (reader.Take('}')) return reader.AtEnd();
    do {
        JsonMember member;
        if (!reader.String(member.name) || !reader.Take(':')) return false;
        if (reader.Word("true") || reader.Word("false")) {
            member.is_text = false;
            member.flag = reader.WasTrue();
        } else if (!reader.String(member.text)) {
            return false;
        }
        for (const JsonMember &seen : members)
            if (seen.name == member.name) return false;
        members.push_back(member);
    } while (reader.Take(','));
    return reader.Take('}') && reader.AtEnd();
}

void AppendJsonText(std::string &out, const std::string &text) {
    out += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == '<') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}
