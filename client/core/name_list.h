// The client's list of further names that may be signed in or out from this
// machine: at most 25 names of at most 19 characters, kept in name order and
// saved as one "Names" text (every name followed by "%"). Portable: the name
// box of the sign-in dialog and the settings store are handed in.
#pragma once
#include <cstddef>
#include <cstdint>

class Alerts;

constexpr int kNameSlots = 30;
constexpr size_t kNameCapacity = 20; // 19 characters and NUL
constexpr uint32_t kMaxNames = 25;
constexpr size_t kNamesTextCapacity = 640;

struct NameList {
    char slots[kNameSlots][kNameCapacity]; // empty: a free slot
    uint32_t count;                        // names fill slots 0 .. count-1
};

// The sign-in dialog's name box as the list fills it.
class NameBox {
  public:
    virtual ~NameBox() = default;
    virtual void Clear() = 0;
    virtual void Add(const char *name) = 0;
    // Called once the box has been refilled after a change of the list.
    virtual void Finish() {}
};

// Where the Names text is kept.
class NameStore {
  public:
    virtual ~NameStore() = default;
    virtual void WriteNames(const char *text) = 0;
};

// Everything the list operations work on. own_name is the member's own name,
// which the name box always offers besides the listed names.
struct NamePlace {
    NameList &list;
    NameBox &box;
    NameStore &store;
    Alerts &alerts;
    const char *own_name;
};

// Case-insensitive in the plain ASCII sense (A-Z folded to a-z, bytes
// compared unsigned; a beginning of a name is the smaller). Empty is
// smallest.
int CompareListNames(const char *a, const char *b);

// Fills the list from a Names text in its stored order (runs of "%" are one
// separator; at most 25 names, each cut to 19 characters) and fills the name
// box with the own name and every listed name.
void LoadNames(NamePlace &place, const char *names_text);

// Sorts, compacts and counts the list, refills the name box and stores the
// Names text.
void SaveNames(NamePlace &place);

// The Names text of the list: every name in slot order followed by "%".
void BuildNamesText(const NameList &list, char *out, size_t capacity);

// Adds a name (cut to 19 characters). Returns true when added, false when refused
// (a name holding "%" or "-", a duplicate, a full list); a message has then
// been shown. An empty name changes nothing and still returns true.
bool AddName(NamePlace &place, const char *name);

// Renames the first name exactly equal to old_name to new_name (cut to 19
// characters); an empty new name removes it. Returns false without a change
// when the new name holds "%" or "-" (a message has then been shown), else
// true.
bool ReplaceName(NamePlace &place, const char *old_name, const char *new_name);
