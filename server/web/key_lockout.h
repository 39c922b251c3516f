// Keys that cannot be guessed at full speed: wrong keys are counted per
// peer address, and an address that gave kWrongKeysAllowed wrong keys
// within kWrongKeyWindowMs is locked out for kLockoutMs, during which each
// of its requests that carries a key is refused (429 Too Many Requests,
// Retry-After) without the key being looked at, the right one too.
//
// How to use it, for any key the server asks of a peer:
//
//     if (unsigned wait = lockout.SecondsLocked(peer, now)) -> 429, Retry-After: wait
//     else if (!SameKey(given, key))
//         if (lockout.CountWrong(peer, now)) status line: LockoutNotice(peer)
//         -> the key's own refusal (401)
//
// One object may serve several keys: a guesser then has five tries in all,
// not five a key. The right key does not forget the wrong ones (a member
// who knows one key must not be able to clear its count for another).
//
// Memory is bounded: at most kLockoutAddresses addresses are remembered; a
// newcomer when the table is full takes the place of the one whose last
// wrong key is oldest, an address locked out now only when every one is.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kWrongKeysAllowed = 5;
constexpr std::uint64_t kWrongKeyWindowMs = 60 * 1000;
constexpr std::uint64_t kLockoutMs = 60 * 1000;
constexpr size_t kLockoutAddresses = 256;

class KeyLockout {
  public:
    // 0 when address may try a key at now (milliseconds of a steady
    // clock); else the whole seconds, rounded up, until it may.
    unsigned SecondsLocked(const std::string &address, std::uint64_t now) const;

    // Counts a wrong key from address at now. True when this key locks the
    // address out and it is the address's first lockout while it is
    // remembered: the caller says so, once, on the status line.
    bool CountWrong(const std::string &address, std::uint64_t now);

    size_t Remembered() const { return entries_.size(); }

  private:
    struct Entry {
        std::string address;
        std::uint64_t wrong[kWrongKeysAllowed] = {}; // the latest wrong keys' times, a ring
        int count = 0;                               // how many of them are set
        int next = 0;                                // where the next goes in the ring
        std::uint64_t locked_until = 0;
        bool reported = false;
    };
    Entry *Find(const std::string &address);
    Entry &Take(const std::string &address, std::uint64_t now);

    std::vector<Entry> entries_;
};

// "Web: wrong keys from ADDRESS": the status line's word of a lockout.
std::string LockoutNotice(const std::string &address);
// Whether a status line's text is such a word.
bool IsLockoutNotice(const char *text);

// Equal texts, in a time that depends only on their lengths: every byte of
// the longer is looked at, whatever differs first.
bool SameKey(const std::string &given, const std::string &key);
