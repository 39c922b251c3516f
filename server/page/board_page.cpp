#include "server/page/board_page.h"

#include "common/clock.h"
#include "common/files.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Appends to a fixed buffer, cutting at its capacity.
class PageText {
  public:
    PageText(char *out, size_t capacity) : out_(out), capacity_(capacity) {}

    void Raw(const char *text, size_t length) {
        size_t n = length < capacity_ - used_ ? length : capacity_ - used_;
        std::memcpy(out_ + used_, text, n);
        used_ += n;
    }
    void Raw(const char *text) { Raw(text, std::strlen(text)); }
    void Verbatim(const char *text, size_t capacity) { Raw(text, strnlen(text, capacity)); }

    // A field of the board: the characters that mean something in HTML
    // become entities, so that no field can put mark-up into the page.
    void Escaped(const char *field, size_t capacity) {
        size_t length = strnlen(field, capacity);
        for (size_t i = 0; i < length; ++i) {
            switch (field[i]) {
            case '&':
                Raw("&amp;");
                break;
            case '<':
                Raw("&lt;");
                break;
            case '>':
                Raw("&gt;");
                break;
            case '"':
                Raw("&quot;");
                break;
            default:
                Raw(field + i, 1);
                break;
            }
        }
    }

    size_t used() const { return used_; }

  private:
    char *out_;
    size_t capacity_;
    size_t used_ = 0;
};

template <size_t N> void ValueCell(PageText &page, const char (&field)[N]) {
    page.Raw("<TH>");
    page.Escaped(field, N);
    page.Raw("</TH>\r\n");
}

void BlankCell(PageText &page) { page.Raw("<TH> </TH>\r\n"); }

// HTMLFile as a path, cut at its capacity.
std::string PagePath(const ServerSettings &settings) {
    return std::string(settings.HTMLFile, strnlen(settings.HTMLFile, sizeof settings.HTMLFile - 1));
}

} // namespace

bool BoardPageConfigured(const ServerSettings &settings) { return settings.HTMLFile[0] != '\0'; }

size_t FormatBoardPage(const UserTable &table, const ServerSettings &settings, const ClockTime &now,
                       char *out, size_t capacity) {
    PageText page(out, capacity);
    char opening[200];
    int n = std::snprintf(opening, sizeof opening,
                          "<HTML><!-- %02d:%02d.%d -->\r\n<HEAD>\r\n"
                          "<META HTTP-EQUIV=\"Refresh\" CONTENT=60><TITLE>IN-OUT LOG</TITLE>\r\n"
                          "</HEAD><BODY>\r\n<CENTER>\r\n",
                          now.hour, now.minute, now.second);
    if (n > 0) {
        size_t length = static_cast<size_t>(n);
        page.Raw(opening, length < sizeof opening ? length : sizeof opening - 1);
    }
    page.Verbatim(settings.Header, sizeof settings.Header);
    page.Raw("<TABLE BORDER>\r\n"
             "<TR>\r\n"
             "<TH ALIGN=LEFT>Name</TH>\r\n"
             "<TH>In</TH>\r\n"
             "<TH>Out</TH>\r\n"
             "<TH>Destination</TH>\r\n"
             "<TH>Return time</TH>\r\n"
             "</TR>\r\n\r\n");
    size_t count = UsedSlots(table);
    for (size_t i = 0; i < count; ++i) {
        const UserRecord &record = table.slots[i];
        page.Raw("<TR>\r\n<TH ALIGN=LEFT>");
        page.Escaped(record.name, sizeof record.name);
        page.Raw("</TH>\r\n");
        if (record.in_out != 0) {
            ValueCell(page, record.time);
            BlankCell(page);
            BlankCell(page);
            BlankCell(page);
        } else {
            BlankCell(page);
            ValueCell(page, record.time);
            ValueCell(page, record.destination);
            ValueCell(page, record.return_time);
        }
        page.Raw("</TR>\r\n\r\n");
    }
    page.Raw("\r\n</TABLE>\r\n");
    page.Verbatim(settings.Footer, sizeof settings.Footer);
    page.Raw("</BODY>\r\n</HTML>\r\n");
    return page.used();
}

bool PagePathCheck::NamesDataFile(const ServerSettings &settings) {
    std::string page = PagePath(settings);
    char data_file[sizeof settings.WorkingDir + 16];
    if (!BuildDataFilePath(settings, data_file, sizeof data_file)) return false;
    if (known_ && page == page_ && data_file_ == data_file) return same_;
    same_ = SamePath(page.c_str(), data_file);
    known_ = IsFile(data_file);
    page_ = page;
    data_file_ = data_file;
    return same_;
}

bool WriteBoardPageBytes(const ServerSettings &settings, const char *bytes, size_t size,
                         PagePathCheck &check) {
    if (!BoardPageConfigured(settings)) return false;
    // The page must never take the data file's place.
    if (check.NamesDataFile(settings)) return false;
    return ReplaceOftenReadFile(PagePath(settings).c_str(), bytes, size);
}

bool WriteBoardPage(const UserTable &table, const ServerSettings &settings, Clock &clock) {
    if (!BoardPageConfigured(settings)) return false;
    std::vector<char> bytes(kBoardPageCapacity);
    size_t size = FormatBoardPage(table, settings, clock.Now(), bytes.data(), bytes.size());
    PagePathCheck check;
    return WriteBoardPageBytes(settings, bytes.data(), size, check);
}
