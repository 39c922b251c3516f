// The board page: an HTML file listing every user, rewritten after every
// change of the board.
#pragma once
#include <cstddef>
#include <string>

struct UserTable;
struct ServerSettings;
class Clock;
struct ClockTime;

// Writes the page to HTMLFile, replaced whole, or written in place while a
// reader holds it (ReplaceOftenReadFile). True when written, false when it
// was not (an empty HTMLFile, a path naming the data file itself, however
// spelt, or the writes failing). An empty
// HTMLFile writes nothing and creates no file: no page is configured then,
// which callers tell apart from a failure with BoardPageConfigured.
bool WriteBoardPage(const UserTable &table, const ServerSettings &settings, Clock &clock);

// Whether HTMLFile names the data file, however spelt. Comparing the two
// opens both files, which costs as much as writing the page, so a server
// that writes the page after every change keeps the answer until either
// path changes. It is looked at again while the data file is not there:
// only an existing file can be told from another name of it. (A hard link
// made to the data file is undone by its next save, which replaces it.)
class PagePathCheck {
  public:
    bool NamesDataFile(const ServerSettings &settings);

  private:
    std::string page_;
    std::string data_file_;
    bool known_ = false;
    bool same_ = false;
};

// Writes page bytes made already (FormatBoardPage) to HTMLFile as
// WriteBoardPage does, with the same refusals and result; check keeps
// whether the page names the data file from one write to the next.
bool WriteBoardPageBytes(const ServerSettings &settings, const char *bytes, size_t size,
                         PagePathCheck &check);

// Whether HTMLFile names a page to write (false when it is empty).
bool BoardPageConfigured(const ServerSettings &settings);

// The page's bytes for the table at the given time, written to out from its
// start; returns their length (no NUL is added). The board's fields are
// escaped (& < > " become entities); Header and Footer go in verbatim. The
// output is cut at capacity: give kBoardPageCapacity.
size_t FormatBoardPage(const UserTable &table, const ServerSettings &settings, const ClockTime &now,
                       char *out, size_t capacity);

// Room enough for the page of a full board with the longest header/footer
// (every field character escaped to six bytes stays well below it).
constexpr size_t kBoardPageCapacity = 160 * 1024;
