#include "server/publish/publisher.h"

#include "common/clock.h"
#include "common/code_page.h"
#include "common/protocol.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/board_json.h"
#include "server/page/board_page.h"
#include "server/page/live_page.h"
#include "server/page/overdue.h"
#include "server/publish/connection.h"

#include <cstring>

bool Publisher::Reload(BoardContext &board) {
    // Read into a copy first: the table changes only when the file was read
    // whole. The file is read every time: a hand edit can keep the size and
    // the last-write time of the server's own save (FAT keeps times to 2 s,
    // a file share's client caches them for seconds), so nothing short of
    // its bytes tells that it is unchanged, and reading those is the load.
    reloaded_ = board.table;
    BoardLoad loaded = LoadBoard(reloaded_, board.settings, *reader_, nullptr);
    if (loaded == BoardLoad::Failed) return false;
    if (loaded == BoardLoad::Loaded) {
        std::memcpy(board.table.slots, reloaded_.slots, sizeof reloaded_.slots);
        // A board that start-up could not read gets its count from the
        // first file read, as start-up would have given it.
        if (unread_) SortAndCompact(board.table);
    }
    unread_ = false;
    return true;
}

namespace {

std::vector<bool> WhoIsOverdue(const UserTable &table, const ClockTime &now) {
    std::vector<bool> overdue(UsedSlots(table));
    for (size_t i = 0; i < overdue.size(); ++i) overdue[i] = IsOverdue(table.slots[i], now);
    return overdue;
}

} // namespace

void Publisher::MakeLive(BoardContext &board, const ClockTime &now) {
    live_table_ = board.table;
    live_settings_ = board.settings;
    live_at_ = now;
    live_due_ = true;
    overdue_due_ = true;
    ++number_;
}

void Publisher::MakeLiveNow() const {
    if (!live_due_) return;
    live_due_ = false;
    feed_.clear();
    AppendBoardJson(feed_, live_table_, live_at_, ActiveCodePage());
    live_.clear();
    live_wall_.clear();
    LiveView view;
    AppendLivePage(live_, live_table_, live_settings_, live_at_, view);
    view.wall = true;
    AppendLivePage(live_wall_, live_table_, live_settings_, live_at_, view);
}

const std::string &Publisher::FeedBytes() const {
    MakeLiveNow();
    return feed_;
}

const std::string &Publisher::LiveBytes(bool wall) const {
    MakeLiveNow();
    return wall ? live_wall_ : live_;
}

bool Publisher::RefreshOverdue(BoardContext &board) {
    if (number_ == 0) return false;
    if (overdue_due_) {
        overdue_ = WhoIsOverdue(live_table_, live_at_);
        overdue_due_ = false;
    }
    ClockTime now = board.clock.Now();
    if (WhoIsOverdue(board.table, now) == overdue_) return false;
    MakeLive(board, now);
    return true;
}

bool Publisher::WritePage(BoardContext &board) {
    ClockTime now = board.clock.Now();
    page_.resize(kBoardPageCapacity);
    size_t size = FormatBoardPage(board.table, board.settings, now, &page_[0], page_.size());
    page_.resize(size);
    MakeLive(board, now);
    if (!BoardPageConfigured(board.settings)) return true;
    return WriteBoardPageBytes(board.settings, page_.data(), page_.size(), page_path_);
}

PublishResult Publisher::Publish(BoardContext &board, const std::vector<BoardChange> &changes,
                                 const std::vector<Connection *> &replies) {
    PublishResult result;
    // An empty board that was never read must not be saved over the file
    // that could not be read.
    if (unread_ || !SaveBoard(board.table, board.settings, writer_)) {
        result.save_failed = true;
        return result;
    }
    result.page_failed = !WritePage(board);
    if (journal_) {
        for (const BoardChange &change : changes) journal_->Record(change);
        result.journal_failed = !journal_->Flush();
    }
    for (Connection *connection : replies) {
        connection->Send(kReplyDone, std::strlen(kReplyDone));
    }
    return result;
}

PublishResult Publisher::PublishPage(BoardContext &board) {
    PublishResult result;
    result.page_failed = !WritePage(board);
    return result;
}
