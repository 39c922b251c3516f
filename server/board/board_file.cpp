#include "server/board/board_file.h"

#include "common/files.h"
#include "common/protocol.h"
#include "common/file_reader.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A line holds at most this many characters; the rest of a longer line is
// skipped.
constexpr size_t kLineMax = 254;

// A field of a line, cut to its capacity (a NUL in it ends it); any other
// control byte in it (a tab or a stray CR of an edit by hand) becomes a
// space.
void CopyToken(char *field, size_t capacity, const char *token, size_t length) {
    size_t n = length < capacity - 1 ? length : capacity - 1;
    std::memcpy(field, token, n);
    field[n] = '\0';
    BlankControlBytes(field);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The decimal number at the token's beginning (leading blanks skipped, an
// optional sign, 0 without digits), kept to its low eight bits whatever its
// size.
signed char ParseFlag(const char *token, size_t length) {
    size_t i = 0;
    while (i < length && IsBlank(token[i])) ++i;
    unsigned value = ParseDecimalLowBits(token + i, length - i, 0xFFu);
    return static_cast<signed char>(value >= 0x80u ? static_cast<int>(value) - 0x100
                                                   : static_cast<int>(value));
}

// Fills a cleared record from one line (without its line end): fields are
// the runs of characters other than "-"; missing fields stay empty.
void FillRecord(UserRecord &record, const char *line, size_t length) {
    size_t pos = 0;
    for (int field = 0; field < 5; ++field) {
        while (pos < length && line[pos] == '-') ++pos;
        if (pos >= length) break;
        size_t start = pos;
        while (pos < length && line[pos] != '-') ++pos;
        const char *token = line + start;
        size_t size = pos - start;
        switch (field) {
        case 0:
            CopyToken(record.name, sizeof record.name, token, size);
            break;
        case 1:
            record.in_out = ParseFlag(token, size);
            break;
        case 2:
            CopyToken(record.destination, sizeof record.destination, token, size);
            break;
        case 3:
            CopyToken(record.time, sizeof record.time, token, size);
            break;
        case 4:
            CopyToken(record.return_time, sizeof record.return_time, token, size);
            break;
        }
    }
    // A name of one space is how the file holds a free slot.
    if (std::strcmp(record.name, " ") == 0) record.name[0] = '\0';
}

bool HasField(const char *line, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (line[i] != '-') return true;
    return false;
}

// Splits bytes into lines (CR LF or bare LF) and loads line n into slot n,
// whatever the bytes are; a line is cut at kLineMax characters.
// The lines go into a table of the reader's own, so that a read that fails
// part way leaves the board as it was: members after the failure are not
// lost.
class BoardReader {
  public:
    BoardReader() {
        for (UserRecord &record : table_.slots) ClearRecord(record);
    }

    const UserTable &Table() const { return table_; }

    bool TableFilled() const { return slot_ >= static_cast<size_t>(kMaxUsers); }

    void TakeBytes(const char *bytes, size_t size) {
        for (size_t i = 0; i < size && !TableFilled(); ++i) {
            char c = bytes[i];
            if (c == '\n') {
                EndLine();
            } else if (length_ < kLineMax) {
                line_[length_++] = c;
            } else {
                cut_ = true;
            }
        }
    }

    // The end of the bytes: a last line without a line end is loaded too.
    void Finish() {
        if (length_ > 0 || cut_) EndLine();
    }

  private:
    void EndLine() {
        size_t length = length_;
        if (!cut_ && length > 0 && line_[length - 1] == '\r') --length;
        // A line without a single field (empty, or dashes only) is no
        // record: a hand edit's blank line must not push the next member
        // into a slot of its own beyond the board's count.
        if (!TableFilled() && HasField(line_, length))
            FillRecord(table_.slots[slot_++], line_, length);
        length_ = 0;
        cut_ = false;
    }

    UserTable table_ = {};
    size_t slot_ = 0;
    char line_[kLineMax];
    size_t length_ = 0;
    bool cut_ = false;
};

void AppendText(std::string &out, const char *field, size_t capacity) {
    size_t n = strnlen(field, capacity);
    // Minimum width one: an empty field is written as a single space.
    if (n == 0) {
        out += ' ';
    } else {
        out.append(field, n);
    }
}

} // namespace

void LoadBoardFromBytes(UserTable &table, const char *bytes, size_t size) {
    BoardReader reader;
    reader.TakeBytes(bytes, size);
    reader.Finish();
    std::memcpy(table.slots, reader.Table().slots, sizeof table.slots);
}

BoardLoad LoadBoard(UserTable &table, const ServerSettings &settings, FileReader &reader,
                    std::string *first_bytes) {
    char path[sizeof settings.WorkingDir + 16];
    if (!BuildDataFilePath(settings, path, sizeof path)) return BoardLoad::Failed;
    FileReader::Opened opened = reader.OpenFile(path);
    if (opened == FileReader::Missing) return BoardLoad::Missing;
    if (opened != FileReader::Open) return BoardLoad::Failed;
    BoardReader lines;
    if (first_bytes) first_bytes->clear();
    char chunk[4096];
    for (;;) {
        long got = reader.ReadSome(chunk, sizeof chunk);
        if (got < 0) {
            reader.CloseFile();
            return BoardLoad::Failed;
        }
        if (got == 0) break;
        lines.TakeBytes(chunk, static_cast<size_t>(got));
        bool keep = first_bytes && first_bytes->size() <= kBoardFileCapacity;
        if (keep) first_bytes->append(chunk, static_cast<size_t>(got));
        if (lines.TableFilled() && !keep) break;
    }
    reader.CloseFile();
    lines.Finish();
    std::memcpy(table.slots, lines.Table().slots, sizeof table.slots);
    return BoardLoad::Loaded;
}

size_t FormatBoardFile(const UserTable &table, char *out, size_t capacity) {
    size_t count = UsedSlots(table);
    std::string line;
    size_t used = 0;
    for (size_t i = 0; i < count; ++i) {
        const UserRecord &record = table.slots[i];
        line.clear();
        AppendText(line, record.name, sizeof record.name);
        line += '-';
        line += std::to_string(static_cast<int>(record.in_out));
        line += '-';
        AppendText(line, record.destination, sizeof record.destination);
        line += '-';
        AppendText(line, record.time, sizeof record.time);
        line += '-';
        AppendText(line, record.return_time, sizeof record.return_time);
        line += "-\r\n";
        if (line.size() > capacity - used) break;
        std::memcpy(out + used, line.data(), line.size());
        used += line.size();
    }
    return used;
}

bool SaveBoard(const UserTable &table, const ServerSettings &settings, FileWriter &writer) {
    char path[sizeof settings.WorkingDir + 16];
    if (!BuildDataFilePath(settings, path, sizeof path)) return false;
    std::string bytes(kBoardFileCapacity, '\0');
    size_t size = FormatBoardFile(table, &bytes[0], bytes.size());
    return writer.ReplaceDurably(path, bytes.data(), size);
}
