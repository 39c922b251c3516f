// Publishing a change of the board, in one order for the members' requests
// and the administrator's edits alike: the data file first, then the page,
// then the change's journal lines, then the replies. A change that could
// not be saved reaches neither the page nor anyone's reply.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "server/board/board_change.h"
#include "server/board/change_journal.h"
#include "common/file_reader.h"
#include "common/file_writer.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "common/clock.h"
#include "server/page/board_page.h"

class Connection;

// What became of one publication. Nothing failed by default.
struct PublishResult {
    // The data file could not be read before requests were applied: nothing
    // was changed, saved or answered.
    bool load_failed = false;
    // The data file could not be replaced: the page was left as it was and
    // no reply was sent.
    bool save_failed = false;
    // A page is configured and could not be written (the data file was
    // saved and the replies were sent). No page configured is no failure.
    bool page_failed = false;
    // The journal could not write the changes down (the data file was
    // saved and the replies were sent all the same).
    bool journal_failed = false;
    bool Failed() const { return load_failed || save_failed || page_failed || journal_failed; }
};

class Publisher {
  public:
    // The data file is read through reader and saved through writer.
    Publisher(FileReader &reader, FileWriter &writer) : reader_(&reader), writer_(writer) {}
    Publisher(const Publisher &) = delete;
    Publisher &operator=(const Publisher &) = delete;

    // Brings the table up to date with the data file before changes are
    // applied to it; with no data file the table stays as it is. Returns
    // false when the file is there but could not be read to its end: the
    // table is then as it was, and the caller must apply nothing to it.
    bool Reload(BoardContext &board);

    // Start-up could not read the data file: until a Reload has read it,
    // every Publish fails as a failed save (the empty board is not saved
    // over the members), and that Reload sorts and compacts the board as
    // start-up does, so that its count comes from the file.
    void BoardNotRead() { unread_ = true; }

    // Saves the table to the data file; once saved, makes the page and
    // writes it, tells the journal of each change in order and sends
    // "0\n\r" to each connection in replies. On a failed save nothing
    // follows.
    PublishResult Publish(BoardContext &board, const std::vector<BoardChange> &changes,
                          const std::vector<Connection *> &replies);

    // Makes the page from the table as it stands and writes it when a page
    // is configured, without saving (start-up).
    PublishResult PublishPage(BoardContext &board);

    // The bytes of the last page made, also when no page file is set.
    const std::string &PageBytes() const { return page_; }
    // The same board as JSON, of the board as the page was made (empty
    // before the first). Made when first asked for after a publication:
    // most publications are read by no browser.
    const std::string &FeedBytes() const;
    // The live board, and its lobby view, made as the feed is.
    const std::string &LiveBytes(bool wall = false) const;
    // Counts the documents made: 1 for the first, one more each time. Who
    // serves them (the event stream's watchers) compares it with the last it
    // was told of; the publisher tells nobody.
    unsigned long Number() const { return number_; }

    // The clock has moved on: when it changed who is overdue, the feed and
    // the live board are made again (the page file is not written). True
    // when they were.
    bool RefreshOverdue(BoardContext &board);

    // Reads the data file through another reader from now on.
    void SetFileReader(FileReader *reader) { reader_ = reader; }

    // The journal told of published changes (none by default).
    void SetJournal(ChangeJournal *journal) { journal_ = journal; }

  private:
    bool WritePage(BoardContext &board);
    // Keeps the board and the time of a publication for the feed and the
    // live board, and counts it.
    void MakeLive(BoardContext &board, const ClockTime &now);
    // Makes the feed and the live board of the kept publication if they
    // have not been made yet.
    void MakeLiveNow() const;

    std::string page_;
    PagePathCheck page_path_;
    // The board, settings and time the feed and the live board show, and
    // whether they are still to be made from them.
    UserTable live_table_ = {};
    ServerSettings live_settings_ = {};
    ClockTime live_at_ = {};
    mutable bool live_due_ = false;
    mutable std::string feed_;
    mutable std::string live_;
    mutable std::string live_wall_;
    // Who was overdue at the kept publication, looked at only while someone
    // watches (RefreshOverdue), so worked out then.
    std::vector<bool> overdue_;
    bool overdue_due_ = false;
    unsigned long number_ = 0;
    ChangeJournal *journal_ = nullptr;
    FileReader *reader_;
    FileWriter &writer_;
    // The data file as Reload reads it, before it is taken into the board.
    UserTable reloaded_ = {};
    bool unread_ = false;
};
