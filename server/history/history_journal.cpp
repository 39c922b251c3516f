#include "server/history/history_journal.h"

#include <cstdio>
#include <cstring>

#include "common/clock.h"
#include "common/file_writer.h"
#include "server/board/server_settings.h"

bool BuildJournalPath(const ServerSettings &settings, const ClockTime &when, char *out,
                      size_t capacity) {
    size_t dir = strnlen(settings.WorkingDir, sizeof settings.WorkingDir);
    int n = std::snprintf(out, capacity, "%.*s%chistory-%04d-%02d.csv", static_cast<int>(dir),
                          settings.WorkingDir, kPathSeparator, when.year % 10000, when.month % 100);
    if (n < 0 || static_cast<size_t>(n) >= capacity) {
        if (capacity > 0) out[0] = '\0';
        return false;
    }
    return true;
}

HistoryJournal::HistoryJournal(const ServerSettings &settings, unsigned code_page,
                               FileWriter &writer)
    : settings_(settings), code_page_(code_page), writer_(writer) {}

void HistoryJournal::Add(const ClockTime &when, const JournalEntry &entry) {
    if (!settings_.History) return;
    char path[400];
    if (!BuildJournalPath(settings_, when, path, sizeof path)) return;
    Kept kept{path, std::string()};
    AppendJournalLine(kept.line, when, entry, code_page_);
    kept_.push_back(std::move(kept));
    size_t total = KeptBytes();
    size_t drop = 0;
    while (total > kKeptBytes && drop + 1 < kept_.size()) total -= kept_[drop++].line.size();
    kept_.erase(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(drop));
}

size_t HistoryJournal::KeptBytes() const {
    size_t total = 0;
    for (const Kept &kept : kept_) total += kept.line.size();
    return total;
}

bool HistoryJournal::Flush() {
    failed_path_.clear();
    std::vector<Kept> left;
    size_t i = 0;
    while (i < kept_.size()) {
        // The lines of one file that follow each other go in one append.
        size_t end = i;
        std::string bytes;
        while (end < kept_.size() && kept_[end].path == kept_[i].path) bytes += kept_[end++].line;
        bool written = writer_.Append(kept_[i].path.c_str(), kJournalHead,
                                      std::strlen(kJournalHead), bytes.data(), bytes.size());
        if (!written) {
            if (failed_path_.empty()) failed_path_ = kept_[i].path;
            for (size_t k = i; k < end; ++k) left.push_back(std::move(kept_[k]));
        }
        i = end;
    }
    kept_ = std::move(left);
    return failed_path_.empty();
}
