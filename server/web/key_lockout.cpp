#include "server/web/key_lockout.h"

#include <cstring>

unsigned KeyLockout::SecondsLocked(const std::string &address, std::uint64_t now) const {
    for (const Entry &entry : entries_) {
        if (entry.address != address) continue;
        if (entry.locked_until <= now) return 0;
        return static_cast<unsigned>((entry.locked_until - now + 999) / 1000);
    }
    return 0;
}

KeyLockout::Entry *KeyLockout::Find(const std::string &address) {
    for (Entry &entry : entries_)
        if (entry.address == address) return &entry;
    return nullptr;
}

// The address's entry, made when it has none; when the table is full it
// replaces the entry whose last wrong key is oldest, sparing the addresses
// locked out now while any other can go.
KeyLockout::Entry &KeyLockout::Take(const std::string &address, std::uint64_t now) {
    if (Entry *entry = Find(address)) return *entry;
    if (entries_.size() < kLockoutAddresses) {
        entries_.emplace_back();
        entries_.back().address = address;
        return entries_.back();
    }
    auto last = [](const Entry &e) {
        return e.wrong[(e.next + kWrongKeysAllowed - 1) % kWrongKeysAllowed];
    };
    Entry *oldest = nullptr;
    for (Entry &entry : entries_) {
        if (!oldest) {
            oldest = &entry;
            continue;
        }
        bool locked = entry.locked_until > now, oldest_locked = oldest->locked_until > now;
        if (locked != oldest_locked ? !locked : last(entry) < last(*oldest)) oldest = &entry;
    }
    *oldest = Entry();
    oldest->address = address;
    return *oldest;
}

bool KeyLockout::CountWrong(const std::string &address, std::uint64_t now) {
    Entry &entry = Take(address, now);
    entry.wrong[entry.next] = now;
    entry.next = (entry.next + 1) % kWrongKeysAllowed;
    if (entry.count < kWrongKeysAllowed) ++entry.count;
    // The ring's oldest is the fifth wrong key back from this one.
    if (entry.count < kWrongKeysAllowed || now - entry.wrong[entry.next] >= kWrongKeyWindowMs)
        return false;
    entry.locked_until = now + kLockoutMs;
    entry.count = 0; // after the lockout, five more tries
    if (entry.reported) return false;
    entry.reported = true;
    return true;
}

namespace {
const char kLockoutWords[] = "Web: wrong keys from ";
}

std::string LockoutNotice(const std::string &address) { return kLockoutWords + address; }

bool IsLockoutNotice(const char *text) {
    return std::strncmp(text, kLockoutWords, sizeof kLockoutWords - 1) == 0;
}

bool SameKey(const std::string &given, const std::string &key) {
    size_t n = given.size() > key.size() ? given.size() : key.size();
    unsigned char differ = given.size() == key.size() ? 0 : 1;
    for (size_t i = 0; i < n; ++i) {
        unsigned char a = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
        unsigned char b = i < key.size() ? static_cast<unsigned char>(key[i]) : 0;
        differ |= static_cast<unsigned char>(a ^ b);
    }
    return differ == 0;
}
