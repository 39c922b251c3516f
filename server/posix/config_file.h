// The native server's settings file: "Name=Value" lines with the settings'
// value names, "#" comments and blank lines. Values may hold "\n", "\r"
// and "\\" for a line feed, a carriage return and a backslash (the
// header's and footer's mark-up has line ends); spaces around the name and
// the value are not part of them. It is the server's settings store: a
// setting written is put in its line (or a new one at the end) and the
// file is replaced whole and durably through the program's file writer,
// its comments, order and permissions kept.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/settings_store.h"

class FileWriter;

class ConfigFile : public SettingsStore {
  public:
    // writer replaces the file at each write.
    explicit ConfigFile(FileWriter &writer) : writer_(&writer) {}

    struct Entry {
        std::string name;
        std::string value; // unescaped
        int line = 0;      // 1 for the first
    };
    // What is wrong with one line: its number and the text to show.
    struct Problem {
        int line = 0;
        std::string text;
    };

    // Takes the file's text; lines that are no setting are problems.
    void Parse(const std::string &text);
    // Reads the file at path and parses it; false when it cannot be read.
    bool Load(const std::string &path);

    // The path it was loaded from.
    const std::string &Path() const { return path_; }
    const std::vector<Entry> &Entries() const { return entries_; }
    const std::vector<Problem> &Problems() const { return problems_; }
    // The entry of that name, or null.
    const Entry *Find(const char *name) const;
    // The file's text as it stands (after writes).
    std::string Text() const;

    // SettingsStore: a missing value reads as "". Write replaces the file
    // at the path it was loaded from (none: only in memory, true).
    bool Read(const char *name, char *dest, size_t capacity) override;
    bool Write(const char *name, const char *text) override;
    // Takes the setting's line out of the file (its comments stay).
    bool Remove(const char *name) override;

  private:
    // Replaces the file with Text() (none loaded: nothing to do).
    bool Save() const;

    FileWriter *writer_; // a pointer, so that a file read again can be assigned
    std::string path_;
    std::vector<std::string> lines_; // as read, without their line ends
    std::vector<Entry> entries_;
    std::vector<Problem> problems_;
    bool final_newline_ = true;
};

// A value as the file holds it: line feeds, carriage returns and
// backslashes escaped.
std::string EscapeConfigValue(const std::string &value);
