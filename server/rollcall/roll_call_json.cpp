#include "server/rollcall/roll_call_json.h"

#include <cstdio>

#include "common/ansi_text.h"
#include "server/rollcall/roll_call.h"

void AppendJsonText(std::string &out, const std::string &text, unsigned code_page) {
    std::string utf8;
    AppendUtf8FromAnsi(utf8, text.c_str(), code_page);
    out += '"';
    for (char c : utf8) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string IsoDateTime(const ClockTime &time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", time.year % 10000,
                  time.month % 100, time.day % 100, time.hour % 100, time.minute % 100,
                  time.second % 100);
    return text;
}

void AppendRollCallJson(std::string &out, const RollCall &roll, unsigned code_page) {
    out += roll.running ? "{\"running\": true" : "{\"running\": false";
    out += roll.drill ? ", \"drill\": true" : ", \"drill\": false";
    out += ", \"started\": ";
    out += roll.held ? "\"" + IsoDateTime(roll.started) + "\"" : "null";
    out += ", \"ended\": ";
    out += roll.held && !roll.running ? "\"" + IsoDateTime(roll.ended) + "\"" : "null";
    out += ", \"expected\": " + std::to_string(ExpectedCount(roll));
    out += ", \"safe\": " + std::to_string(SafeCount(roll));
    out += ", \"people\": [";
    for (size_t i = 0; i < roll.people.size(); ++i) {
        const RollPerson &person = roll.people[i];
        out += i == 0 ? "{\"name\": " : ", {\"name\": ";
        AppendJsonText(out, person.name, code_page);
        out += ", \"state\": \"";
        out += RollStateWord(person.state);
        out += "\", \"marked\": ";
        AppendJsonText(out, person.marked, code_page);
        out += ", \"by\": ";
        AppendJsonText(out, person.by, code_page);
        out += '}';
    }
    out += "]}";
}
