#include "server/admin/admin_history.h"

#include "common/clock.h"
#include "common/file_reader.h"
#include "server/board/server_settings.h"
#include "server/history/history_journal.h"
#include "server/history/journal_line.h"
#include "server/reset/daily_reset.h"

namespace {

// The value of name=... in a query ("" when missing).
std::string QueryValue(const std::string &query, const std::string &name) {
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        std::string pair = query.substr(start, end == std::string::npos ? end : end - start);
        if (pair.compare(0, name.size() + 1, name + "=") == 0) return pair.substr(name.size() + 1);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return "";
}

// Days from 1970-01-01 (the proleptic Gregorian calendar).
long DayNumber(const CalendarDate &date) {
    long y = date.year - (date.month <= 2 ? 1 : 0);
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long mp = (date.month + 9) % 12;
    long doy = (153 * mp + 2) / 5 + date.day - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

enum class Read { Done, Missing, Failed };

Read ReadAll(FileReader &files, const char *path, std::string &out) {
    FileReader::Opened opened = files.OpenFile(path);
    if (opened == FileReader::Missing) return Read::Missing;
    if (opened != FileReader::Open) return Read::Failed;
    char buffer[16 * 1024];
    long got;
    while ((got = files.ReadSome(buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<size_t>(got));
    files.CloseFile();
    return got < 0 ? Read::Failed : Read::Done;
}

// The rows of one month's file that fall between from and to.
void AppendRows(const std::string &file, const std::string &from, const std::string &to,
                std::string &out) {
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        size_t next = end == std::string::npos ? file.size() : end + 1;
        std::string day = file.substr(start, 10);
        if (day.size() == 10 && day >= from && day <= to) out.append(file, start, next - start);
        start = next;
    }
}

} // namespace

AdminReply HistoryRange(AdminHost &host, const std::string &query) {
    std::string from = QueryValue(query, "from"), to = QueryValue(query, "to");
    CalendarDate first, last;
    if (from.size() != 10 || to.size() != 10 || !ParseDate(from.c_str(), first) ||
        !ParseDate(to.c_str(), last) || DayNumber(last) < DayNumber(first))
        return AdminRefusal(400,
                            "Give the days as from=YYYY-MM-DD&to=YYYY-MM-DD, the first first.");
    if (DayNumber(last) - DayNumber(first) >= kMostHistoryDays)
        return AdminRefusal(400, "Ask for at most a year of history at a time.");
    AdminReply reply{200, "text/csv; charset=utf-8", kJournalHead};
    int year = first.year, month = first.month;
    while (year * 12 + month <= last.year * 12 + last.month) {
        ClockTime when = {0, 0, 0, year, month, 1};
        char path[400];
        std::string file;
        if (BuildJournalPath(host.Settings(), when, path, sizeof path)) {
            Read read = ReadAll(host.Files(), path, file);
            if (read == Read::Failed) return AdminRefusal(503, std::string("Cannot read ") + path);
            AppendRows(file, from, to, reply.body);
        }
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return reply;
}
