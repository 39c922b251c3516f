#include "server/posix/stderr_report.h"

#include <cstdio>
#include <ctime>
#include <string>

void ReportLine(const char *text) {
    time_t now = std::time(nullptr);
    tm local;
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::string lines;
    std::string line;
    for (const char *p = text;; ++p) {
        if (*p == '\n' || *p == '\r' || *p == '\0') {
            if (!line.empty()) lines += std::string(stamp) + " " + line + "\n";
            line.clear();
            if (*p == '\0') break;
        } else {
            line += *p;
        }
    }
    // One write, so that lines of two reports never mix.
    std::fputs(lines.c_str(), stderr);
    std::fflush(stderr);
}

AlertAnswer StderrAlerts::Ask(const char *text, const char *caption, AlertIcon,
                              AlertButtons buttons) {
    std::string said = caption ? std::string(caption) + ": " : std::string();
    // The boxes' texts break their lines: one report line.
    for (const char *p = text; *p; ++p) {
        if (*p == '\n' || *p == '\r') {
            if (!said.empty() && said.back() != ' ') said += ' ';
        } else {
            said += *p;
        }
    }
    ReportLine(said.c_str());
    return buttons == AlertButtons::YesNo ? AlertAnswer::Yes : AlertAnswer::Ok;
}
