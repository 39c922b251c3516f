#include "server/page/live_page.h"

#include "common/ansi_text.h"
#include "common/clock.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/overdue.h"

#include <cstdio>
#include <cstring>

namespace {

// Appends a field of the record (NUL-terminated within capacity) with the
// characters that mean something in HTML as entities. The data file's
// one-space stand-in for an empty field is empty.
void AppendEscaped(std::string &out, const char *field, size_t capacity) {
    size_t n = strnlen(field, capacity);
    if (n == 1 && field[0] == ' ') return;
    AppendHtmlEscaped(out, field, n);
}

template <size_t N>
void AppendCell(std::string &out, const char *cls, const char *label, const char (&field)[N],
                bool blank = false) {
    out += "<td class=\"";
    out += cls;
    out += '"';
    if (label[0]) {
        out += " data-label=\"";
        out += label;
        out += '"';
    }
    out += '>';
    if (!blank) AppendEscaped(out, field, N);
    out += "</td>";
}

// "3:05pm", as the script writes the time of the last change.
void AppendClock(std::string &out, const ClockTime &now) {
    char text[16];
    int hour = now.hour % 12 == 0 ? 12 : now.hour % 12;
    std::snprintf(text, sizeof text, "%d:%02d%s", hour, now.minute % 60,
                  now.hour < 12 ? "am" : "pm");
    out += text;
}

// The member's own panel: who they are (the script remembers the choice),
// their state, one tap to sign in or out, and where to and till when.
void AppendPanel(std::string &out, const UserTable &table, uint32_t count) {
    out += "<form class=\"sign\" id=\"sign\" aria-label=\"Sign in or out\">"
           "<div class=\"line\"><label for=\"who\">I am</label> <select id=\"who\">";
    for (uint32_t i = 0; i < count; ++i) {
        out += "<option>";
        AppendEscaped(out, table.slots[i].name, sizeof table.slots[i].name);
        out += "</option>";
    }
    out += "</select>"
           "<button type=\"button\" class=\"go\" id=\"sign-in\">Sign in</button>"
           "<button type=\"button\" class=\"go\" id=\"sign-out\">Sign out</button>"
           "<span id=\"my-state\"></span></div>\n"
           "<div class=\"line\">"
           "<input id=\"dest\" placeholder=\"Destination\" maxlength=\"29\" "
           "aria-label=\"Destination\">"
           "<input id=\"ret\" placeholder=\"Back at\" maxlength=\"29\" aria-label=\"Back at\">"
           "<button type=\"button\" class=\"preset\">in 30 min</button>"
           "<button type=\"button\" class=\"preset\">in an hour</button>"
           "<button type=\"button\" class=\"preset\">after lunch</button>"
           "<button type=\"button\" class=\"preset\">tomorrow</button>"
           "<span id=\"sign-result\" role=\"status\"></span></div></form>\n";
}

// The counts, the time of the last change, the search (not on the wall),
// the wall's page indicator and the stream's state; below it the place of
// a running roll call's banner and the region that tells a screen reader
// what changed.
void AppendBar(std::string &out, uint32_t in, uint32_t count, const ClockTime &now, bool wall) {
    out += "<div class=\"bar\"><span class=\"counts\"><span class=\"n-in\" id=\"n-in\">";
    out += std::to_string(in);
    out += "</span> in &middot; <span class=\"n-out\" id=\"n-out\">";
    out += std::to_string(count - in);
    out += "</span> out</span><span class=\"made\">Updated <span id=\"made\">";
    AppendClock(out, now);
    out += "</span></span>";
    if (!wall)
        out += "<input id=\"search\" type=\"search\" placeholder=\"Search the board\" "
               "aria-label=\"Search the board\">";
    else
        out += "<span class=\"page\" id=\"page\"></span>";
    out += "<span id=\"state\" role=\"status\"></span></div>\n"
           "<div class=\"rollcall\" id=\"rollcall\" hidden></div>\n"
           "<p class=\"sr-only\" id=\"announce\" aria-live=\"polite\"></p>\n";
}

void AppendRows(std::string &out, const UserTable &table, uint32_t count, const ClockTime &now) {
    out += "<table class=\"board\"><thead><tr><th>Name</th><th>Status</th><th>Time</th>"
           "<th>Destination</th><th>Return time</th></tr></thead>\n<tbody id=\"rows\">\n";
    for (uint32_t i = 0; i < count; ++i) {
        const UserRecord &record = table.slots[i];
        bool is_in = record.in_out != 0;
        out += is_in                    ? "<tr class=\"in\">"
               : IsOverdue(record, now) ? "<tr class=\"out overdue\">"
                                        : "<tr class=\"out\">";
        AppendCell(out, "name", "", record.name);
        out += is_in ? "<td class=\"status\">In</td>" : "<td class=\"status\">Out</td>";
        AppendCell(out, "time", is_in ? "In at" : "Out at", record.time);
        AppendCell(out, "dest", "Destination", record.destination, is_in);
        AppendCell(out, "ret", "Back", record.return_time, is_in);
        out += "</tr>\n";
    }
    out += "</tbody></table>\n";
}

} // namespace

void AppendLivePage(std::string &out, const UserTable &table, const ServerSettings &settings,
                    const ClockTime &now, const LiveView &view) {
    uint32_t count = UsedSlots(table);
    uint32_t in = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (table.slots[i].in_out != 0) ++in;

    out += "<!DOCTYPE html>\n<html lang=\"en\"><head>\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>In/Out Board</title>\n<style>";
    out += LivePageStyles();
    out += "</style>\n</head>\n";
    out += view.wall ? "<body class=\"wall\">\n" : "<body>\n";
    out.append(settings.Header, strnlen(settings.Header, sizeof settings.Header));
    out += "\n<main>\n";
    if (settings.WebSignIn && !view.wall) AppendPanel(out, table, count);
    AppendBar(out, in, count, now, view.wall);
    AppendRows(out, table, count, now);
    out += "</main>\n";
    out.append(settings.Footer, strnlen(settings.Footer, sizeof settings.Footer));
    out += "\n<script>";
    out += LivePageScript();
    out += "</script>\n</body>\n</html>\n";
}
