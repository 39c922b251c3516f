// Publishing a change of the board, in one order for the members' requests
// and the administrator's edits alike: the data file first, then the page,
// then the change's journal lines, then the replies. A change that could
// not be saved reaches neither the page nor anyone's reply.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/link_time_files.h"
#include "server/board/board_change.h"

class Connection;
struct BoardContext;
struct ClockTime;

// What became of one publication. Nothing failed by default.
struct PublishResult {
    // The data file could not be replaced: the page was left as it was and
    // no reply was sent.
    bool save_failed = false;
    // A page is configured and could not be written (the data file was
    // saved and the replies were sent). No page configured is no failure.
    bool page_failed = false;
    // The journal could not write the changes down (the data file was
    // saved and the replies were sent all the same).
    bool journal_failed = false;
    bool Failed() const { return save_failed || page_failed || journal_failed; }
};

// Told of every published change once the data file holds it, before any
// reply is sent.
class ChangeJournal {
  public:
    virtual ~ChangeJournal() = default;
    virtual void Record(const BoardChange &change) = 0;
    // Once a publication, after its changes were recorded and before the
    // replies: writes them down. False when that failed.
    virtual bool Flush() { return true; }
};

class Publisher;

// Told after every publication that made the board's documents anew (the
// watchers of the web port's event stream), once its replies are out.
class PublicationWatcher {
  public:
    virtual ~PublicationWatcher() = default;
    virtual void Published(const Publisher &publisher) = 0;
};

class Publisher {
  public:
    // Brings the table up to date with the data file before changes are
    // applied to it. When the file cannot be read the table stays as it is.
    // The read is skipped while the file's size and last-write time are
    // still those this publisher's last save left (a hand edit changes
    // them); after a failed save the file is always read.
    void Reload(BoardContext &board);

    // Saves the table to the data file; once saved, makes the page and
    // writes it, tells the journal of each change in order and sends
    // "0\n\r" to each connection in replies. On a failed save nothing
    // follows, and the next Reload reads the file again.
    PublishResult Publish(BoardContext &board, const std::vector<BoardChange> &changes,
                          const std::vector<Connection *> &replies);

    // Makes the page from the table as it stands and writes it when a page
    // is configured, without saving (start-up).
    PublishResult PublishPage(BoardContext &board);

    // The bytes of the last page made, also when no page file is set.
    const std::string &PageBytes() const { return page_; }
    // The same board as JSON, made with the page (empty before the first).
    const std::string &FeedBytes() const { return feed_; }
    // The live board, and its lobby view, made with the page.
    const std::string &LiveBytes(bool wall = false) const { return wall ? live_wall_ : live_; }
    // Counts the documents made: 1 for the first, one more each time.
    unsigned long Number() const { return number_; }

    // The clock has moved on: when it changed who is overdue, the feed and
    // the live board are made again (the page file is not written) and the
    // watcher is told. True when they were.
    bool RefreshOverdue(BoardContext &board);

    void SetWatcher(PublicationWatcher *watcher) { watcher_ = watcher; }

    // The journal told of published changes (none by default).
    void SetJournal(ChangeJournal *journal) { journal_ = journal; }

  private:
    bool WritePage(BoardContext &board);
    void MakeLive(BoardContext &board, const ClockTime &now);

    std::string page_;
    std::string feed_;
    std::string live_;
    std::string live_wall_;
    std::vector<bool> overdue_; // who was overdue when they were made
    unsigned long number_ = 0;
    PublicationWatcher *watcher_ = nullptr;
    ChangeJournal *journal_ = nullptr;
    // The data file as the last save left it, while the table holds
    // exactly what that save wrote.
    FileStamp saved_;
    bool saved_known_ = false;
};
