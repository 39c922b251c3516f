#include "common/key_hash.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr char kPrefix[] = "pbkdf2-sha256$";
constexpr size_t kSaltSize = 16;
constexpr size_t kDerivedSize = 32;
constexpr uint32_t kMostIterations = 10000000;

std::string ToHex(const uint8_t *bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool FromHex(const std::string &text, std::vector<uint8_t> &bytes) {
    if (text.empty() || text.size() % 2 != 0) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

struct ParsedHash {
    uint32_t iterations = 0;
    std::vector<uint8_t> salt;
    std::vector<uint8_t> derived;
};

bool ParseHash(const std::string &stored, ParsedHash &parsed) {
    if (stored.size() > kKeyHashTextMax || stored.compare(0, sizeof kPrefix - 1, kPrefix) != 0)
        return false;
    size_t start = sizeof kPrefix - 1;
    size_t second = stored.find('$', start);
    if (second == std::string::npos) return false;
    size_t third = stored.find('$', second + 1);
    if (third == std::string::npos) return false;
    std::string count = stored.substr(start, second - start);
    if (count.empty() || count.size() > 8 ||
        count.find_first_not_of("0123456789") != std::string::npos)
        return false;
    unsigned long iterations = std::strtoul(count.c_str(), nullptr, 10);
    if (iterations < 1 || iterations > kMostIterations) return false;
    parsed.iterations = static_cast<uint32_t>(iterations);
    return FromHex(stored.substr(second + 1, third - second - 1), parsed.salt) &&
           FromHex(stored.substr(third + 1), parsed.derived) &&
           parsed.derived.size() == kDerivedSize;
}

} // namespace

uint32_t KeyCrypto::NewHashIterations() const { return kKeyHashIterations; }

std::string MakeKeyHash(KeyCrypto &crypto, const std::string &key, uint32_t iterations) {
    if (iterations == 0) iterations = crypto.NewHashIterations();
    if (key.empty() || iterations < 1 || iterations > kMostIterations) return "";
    uint8_t salt[kSaltSize];
    uint8_t derived[kDerivedSize];
    if (!crypto.Random(salt, sizeof salt)) return "";
    if (!crypto.DeriveSha256(key, salt, sizeof salt, iterations, derived, sizeof derived))
        return "";
    char count[16];
    std::snprintf(count, sizeof count, "%lu", static_cast<unsigned long>(iterations));
    return std::string(kPrefix) + count + "$" + ToHex(salt, sizeof salt) + "$" +
           ToHex(derived, sizeof derived);
}

bool IsKeyHash(const std::string &stored) {
    ParsedHash parsed;
    return ParseHash(stored, parsed);
}

bool KeyMatchesHash(KeyCrypto &crypto, const std::string &key, const std::string &stored) {
    ParsedHash parsed;
    if (key.empty() || !ParseHash(stored, parsed)) return false;
    uint8_t derived[kDerivedSize];
    if (!crypto.DeriveSha256(key, parsed.salt.data(), parsed.salt.size(), parsed.iterations,
                             derived, sizeof derived))
        return false;
    return SameBytesConstantTime(derived, parsed.derived.data(), sizeof derived);
}

bool SameBytesConstantTime(const uint8_t *a, const uint8_t *b, size_t size) {
    volatile uint8_t difference = 0;
    for (size_t i = 0; i < size; ++i) difference = difference | (a[i] ^ b[i]);
    return difference == 0;
}

void HashedKey::Set(const std::string &stored) {
    stored_ = stored;
    remembered_ = false;
}

bool HashedKey::Matches(KeyCrypto &crypto, const std::string &key) {
    if (key.empty()) return false;
    Sha256Digest digest = Sha256Of(key);
    if (remembered_ &&
        SameBytesConstantTime(digest.data(), remembered_digest_.data(), digest.size()))
        return true;
    if (!KeyMatchesHash(crypto, key, stored_)) return false;
    remembered_ = true;
    remembered_digest_ = digest;
    return true;
}
