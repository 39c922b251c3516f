// The history journal: while the history flag is on, every change of the
// board is one line in the working directory's history-YYYY-MM.csv of the
// change's month. Lines are kept until Flush appends them, once a batch of
// changes; the journal is only ever appended to, never read back.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "server/history/journal_line.h"

class FileWriter;
struct ClockTime;
struct ServerSettings;

// WorkingDir, the separator and "history-YYYY-MM.csv" for the month of
// when. False (out empty) when it does not fit in capacity bytes.
bool BuildJournalPath(const ServerSettings &settings, const ClockTime &when, char *out,
                      size_t capacity);

class HistoryJournal {
  public:
    // Lines kept for a file that cannot be written (a spreadsheet holding it
    // open, say) wait for the next flush up to this many bytes; beyond,
    // the oldest are dropped.
    static constexpr size_t kKeptBytes = 256 * 1024;

    // code_page: the ANSI code page of the board's texts; the lines are
    // appended through writer.
    HistoryJournal(const ServerSettings &settings, unsigned code_page, FileWriter &writer);

    // Keeps the entry's line at when, if the history flag is on.
    void Add(const ClockTime &when, const JournalEntry &entry);

    // Appends the kept lines to their months' files. True when all
    // were written (or none was kept); false when a file could not be written:
    // its lines stay kept and FailedPath names it.
    bool Flush();

    const char *FailedPath() const { return failed_path_.c_str(); }
    size_t KeptBytes() const;

  private:
    struct Kept {
        std::string path;
        std::string line;
    };
    const ServerSettings &settings_;
    unsigned code_page_;
    FileWriter &writer_;
    std::vector<Kept> kept_;
    std::string failed_path_;
};
