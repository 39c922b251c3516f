#include "server/rollcall/roll_call.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "server/board/board_change.h"
#include "server/board/user_table.h"

namespace {

RollPerson *Find(RollCall &roll, const std::string &name) {
    for (RollPerson &person : roll.people)
        if (person.name == name) return &person;
    for (RollPerson &person : roll.people)
        if (CompareNames(person.name.c_str(), name.c_str()) == 0) return &person;
    return nullptr;
}

void Stamp(RollPerson &person, RollState state, const std::string &by, const ClockTime &now) {
    person.state = state;
    person.marked = state == RollState::Missing ? "" : ClockMinutes(now);
    person.by = state == RollState::Missing ? "" : by;
}

void AddInOrder(RollCall &roll, const RollPerson &person) {
    const std::string &name = person.name;
    auto at = std::find_if(roll.people.begin(), roll.people.end(), [&](const RollPerson &p) {
        return CompareNames(p.name.c_str(), name.c_str()) > 0;
    });
    roll.people.insert(at, person);
}

} // namespace

RollAnswer StartRollCall(RollCall &roll, const UserTable &table, bool drill, const ClockTime &now) {
    if (roll.running) return RollAnswer::Running;
    roll = RollCall();
    roll.held = true;
    roll.running = true;
    roll.drill = drill;
    roll.started = now;
    uint32_t count = UsedSlots(table);
    for (uint32_t i = 0; i < count; ++i) {
        const UserRecord &record = table.slots[i];
        if (record.in_out == 0 || record.name[0] == '\0') continue;
        RollPerson person;
        person.name.assign(record.name, strnlen(record.name, sizeof record.name));
        roll.people.push_back(person);
    }
    return RollAnswer::Done;
}

RollAnswer MarkPerson(RollCall &roll, const std::string &name, bool safe, const std::string &by,
                      const ClockTime &now, std::string *found) {
    if (!roll.running) return RollAnswer::NotRunning;
    RollPerson *person = Find(roll, name);
    if (!person) return RollAnswer::NoSuchName;
    if (found) *found = person->name;
    Stamp(*person, safe ? RollState::Safe : RollState::Missing, by, now);
    return RollAnswer::Done;
}

RollAnswer EndRollCall(RollCall &roll, const ClockTime &now) {
    if (!roll.running) return RollAnswer::NotRunning;
    roll.running = false;
    roll.ended = now;
    return RollAnswer::Done;
}

bool FollowChange(RollCall &roll, const BoardChange &change, const ClockTime &now) {
    if (!roll.running) return false;
    RollPerson *person = Find(roll, change.name);
    switch (change.kind) {
    case BoardChange::SignedOut:
    case BoardChange::Reset:
        if (!person || person->state != RollState::Missing) return false;
        Stamp(*person, RollState::Left, change.peer, now);
        return true;
    case BoardChange::SignedIn:
        if (!person) {
            RollPerson added;
            added.name = change.name;
            AddInOrder(roll, added);
            return true;
        }
        if (person->state != RollState::Left) return false;
        Stamp(*person, RollState::Missing, "", now);
        return true;
    case BoardChange::Renamed: {
        RollPerson *old = Find(roll, change.old_name);
        if (!old) return false;
        RollPerson kept = *old;
        kept.name = change.name;
        roll.people.erase(roll.people.begin() + (old - roll.people.data()));
        AddInOrder(roll, kept);
        return true;
    }
    default:
        return false;
    }
}

int ExpectedCount(const RollCall &roll) {
    return static_cast<int>(
        std::count_if(roll.people.begin(), roll.people.end(),
                      [](const RollPerson &p) { return p.state != RollState::Left; }));
}

int SafeCount(const RollCall &roll) {
    return static_cast<int>(
        std::count_if(roll.people.begin(), roll.people.end(),
                      [](const RollPerson &p) { return p.state == RollState::Safe; }));
}

const char *RollStateWord(RollState state) {
    switch (state) {
    case RollState::Safe:
        return "safe";
    case RollState::Left:
        return "left";
    default:
        return "missing";
    }
}

std::string ClockMinutes(const ClockTime &time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", time.hour % 100, time.minute % 100);
    return text;
}
