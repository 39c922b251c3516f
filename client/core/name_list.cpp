#include "client/core/name_list.h"

#include <cstring>

#include "common/alerts.h"
#include "common/ascii_case.h"
#include "common/fixed_text.h"
#include "common/protocol.h"

namespace {

unsigned char Fold(unsigned char c) { return FoldAscii(c); }

// "%" separates names in the stored text and "-" separates fields on the
// wire: neither can be part of a name.
bool HoldsSeparator(const char *name) {
    return std::strchr(name, '%') != nullptr || HoldsFieldSeparator(name);
}

bool RefuseSeparator(NamePlace &place, const char *name) {
    if (!HoldsSeparator(name)) return false;
    place.alerts.Ask("A name cannot contain \"%\" or \"-\".", "Add Name", AlertIcon::Warning,
                     AlertButtons::Ok);
    return true;
}

bool Listed(const NameList &list, const char *name) {
    for (uint32_t i = 0; i < list.count && i < kNameSlots; ++i)
        if (std::strcmp(list.slots[i], name) == 0) return true;
    return false;
}

void FillBox(NamePlace &place) {
    for (uint32_t i = 0; i < place.list.count; ++i) place.box.Add(place.list.slots[i]);
    if (place.own_name && place.own_name[0] != '\0' && !Listed(place.list, place.own_name))
        place.box.Add(place.own_name);
}

} // namespace

int CompareListNames(const char *a, const char *b) {
    const unsigned char *x = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *y = reinterpret_cast<const unsigned char *>(b);
    for (;; ++x, ++y) {
        unsigned char fx = Fold(*x), fy = Fold(*y);
        if (fx != fy) return fx < fy ? -1 : 1;
        if (fx == 0) return 0;
    }
}

void LoadNames(NamePlace &place, const char *names_text) {
    NameList &list = place.list;
    std::memset(list.slots, 0, sizeof list.slots);
    list.count = 0;
    const char *p = names_text ? names_text : "";
    while (*p != '\0' && list.count < kMaxNames) {
        while (*p == '%') ++p;
        if (*p == '\0') break;
        size_t length = std::strcspn(p, "%");
        size_t kept = length < kNameCapacity - 1 ? length : kNameCapacity - 1;
        std::memcpy(list.slots[list.count], p, kept);
        list.slots[list.count][kept] = '\0';
        ++list.count;
        p += length;
    }
    FillBox(place);
}

void SaveNames(NamePlace &place) {
    NameList &list = place.list;
    // Stable insertion sort over all slots; free slots compare smallest and
    // gather at the front, names that compare equal keep their order.
    for (int i = 1; i < kNameSlots; ++i) {
        char moving[kNameCapacity];
        std::memcpy(moving, list.slots[i], kNameCapacity);
        int j = i;
        while (j > 0 && CompareListNames(moving, list.slots[j - 1]) < 0) {
            std::memcpy(list.slots[j], list.slots[j - 1], kNameCapacity);
            --j;
        }
        std::memcpy(list.slots[j], moving, kNameCapacity);
    }
    char aside[kNameSlots][kNameCapacity];
    std::memcpy(aside, list.slots, sizeof aside);
    std::memset(list.slots, 0, sizeof list.slots);
    uint32_t count = 0;
    for (int i = 0; i < kNameSlots; ++i) {
        if (aside[i][0] == '\0') continue;
        std::memcpy(list.slots[count], aside[i], kNameCapacity);
        list.slots[count][kNameCapacity - 1] = '\0';
        ++count;
    }
    list.count = count;

    place.box.Clear();
    FillBox(place);
    place.box.Finish();

    char text[kNamesTextCapacity];
    BuildNamesText(list, text, sizeof text);
    place.store.WriteNames(text);
}

void BuildNamesText(const NameList &list, char *out, size_t capacity) {
    CopyCut(out, capacity, "");
    for (uint32_t i = 0; i < list.count && i < kNameSlots; ++i) {
        AppendCut(out, capacity, list.slots[i]);
        AppendCut(out, capacity, "%");
    }
}

bool AddName(NamePlace &place, const char *name) {
    char cut[kNameCapacity];
    CopyCut(cut, name);
    if (RefuseSeparator(place, cut)) return false;
    NameList &list = place.list;
    if (cut[0] != '\0' && Listed(list, cut)) {
        place.alerts.Ask("That user already exists.", "Add User", AlertIcon::Warning,
                         AlertButtons::Ok);
        return false;
    }
    if (list.count >= kMaxNames) {
        place.alerts.Ask("This program will not support more than 25 names on one machine.",
                         "Add Name", AlertIcon::Warning, AlertButtons::Ok);
        return false;
    }
    CopyCut(list.slots[list.count], cut);
    SaveNames(place);
    return true;
}

bool ReplaceName(NamePlace &place, const char *old_name, const char *new_name) {
    char cut[kNameCapacity];
    CopyCut(cut, new_name);
    if (RefuseSeparator(place, cut)) return false;
    NameList &list = place.list;
    for (uint32_t i = 0; i < list.count && i < kNameSlots; ++i) {
        if (std::strcmp(list.slots[i], old_name) == 0) {
            CopyCut(list.slots[i], cut);
            break;
        }
    }
    SaveNames(place);
    return true;
}
