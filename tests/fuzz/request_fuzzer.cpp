// Arbitrary bytes on a connection: the framer, then the dispatcher and the
// request handlers against a small board whose data file and page live in
// a tmpfs folder. The board is rewritten before every input, so a finding
// reproduces from its input alone.
//
// Input: the first byte sets the size of each receive (1 to 256 bytes);
// the rest is what arrives. When it ends without a line end the peer is
// taken to have closed.
#include "common/protocol.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/page_defaults.h"
#include "tests/kit/doubles/fixed_clock.h"
#include "tests/kit/doubles/recording_alerts.h"
#include "tests/kit/doubles/recording_connection.h"
#include "server/publish/request_framer.h"
#include "server/publish/batch_dispatch.h"
#include "tests/kit/board_test_support.h"
#include "tests/fuzz/fuzz_board_dir.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

const char kBoard[] = "Ann-1- -8:00- -\r\n"
                      "Bob-0-Lunch-12:00-13:00-\r\n"
                      "bob-1- -8:05- -\r\n"
                      "Joan-0-Out-9:00-Monday-\r\n"
                      "John-1- -7:45- -\r\n"
                      " Sp ace-1- - - -\r\n"
                      "\xe9mile-0-Caf\xe9-10:00-11:00-\r\n"
                      "Zed-1- -6:00- -\r\n"
                      "Past count-0-Hidden-1-2-\r\n";
constexpr uint32_t kCount = 8; // the last line lies beyond count

bool SameOrSpaceForEmpty(const char *stored, const char *reloaded) {
    if (stored[0] == '\0') return std::strcmp(reloaded, " ") == 0;
    return std::strcmp(stored, reloaded) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const std::string &dir = FuzzBoardDir();
    static ServerSettings settings;
    std::memset(&settings, 0, sizeof settings);
    std::snprintf(settings.WorkingDir, sizeof settings.WorkingDir, "%s", dir.c_str());
    std::snprintf(settings.HTMLFile, sizeof settings.HTMLFile, "%s/board.htm", dir.c_str());
    std::snprintf(settings.Header, sizeof settings.Header, "%s", kDefaultHeader);
    std::snprintf(settings.Footer, sizeof settings.Footer, "%s", kDefaultFooter);
    const std::string data_file = dir + "/tesmar.dat";

    // The board as start-up leaves it, then the hand-added line past count.
    PutFile(data_file, kBoard, sizeof kBoard - 1);
    static UserTable table;
    ClearTable(table);
    FUZZ_CHECK(ReadBoardFile(table, settings) == BoardLoad::Loaded);
    table.count = kCount;
    static UserTable before;
    before = table;

    RequestFramer framer;
    size_t piece = 1 + static_cast<size_t>(data[0]);
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    size_t left = size - 1;
    while (left > 0 && framer.State() == FrameState::NeedMore) {
        size_t n = left < piece ? left : piece;
        framer.Feed(bytes, n);
        bytes += n;
        left -= n;
    }
    if (framer.State() == FrameState::NeedMore) framer.Finish();
    if (framer.State() == FrameState::Rejected) {
        FUZZ_CHECK(framer.Total() > kMaxRequestBytes);
        return 0;
    }
    FUZZ_CHECK(framer.State() == FrameState::Complete);
    FUZZ_CHECK(framer.Total() <= kMaxRequestBytes);
    FUZZ_CHECK(std::strlen(framer.Line()) > 0 && std::strlen(framer.Line()) < 256);

    RecordingAlerts alerts;
    FixedClock clock{ClockTime{9, 30, 0}};
    BoardContext board{table, settings, alerts, clock};
    RecordingConnection connection;
    PlatformFiles files;
    Publisher publisher{files.reader, files.writer};
    RequestOutcome outcome = DispatchRequest(board, publisher, framer.Line(), connection);

    // At most one reply, the one the outcome names.
    FUZZ_CHECK(!outcome.published.Failed());
    switch (outcome.kind) {
    case RequestOutcome::Silent:
        FUZZ_CHECK(connection.sends.empty());
        break;
    case RequestOutcome::NotRequest:
        FUZZ_CHECK(connection.Sent() == kReplyNotRequest);
        break;
    case RequestOutcome::NoMatch:
        FUZZ_CHECK(connection.Sent() == kReplyInvalidName);
        break;
    case RequestOutcome::Matched:
        FUZZ_CHECK(connection.Sent() == kReplyDone);
        break;
    }
    FUZZ_CHECK(connection.sends.size() <= 1);

    // No request renames, recounts or touches more than one record.
    FUZZ_CHECK(table.count == kCount);
    int changed = 0;
    for (int i = 0; i < kMaxUsers; ++i) {
        const UserRecord &now = table.slots[i];
        const UserRecord &was = before.slots[i];
        FUZZ_CHECK(std::strcmp(now.name, was.name) == 0);
        FUZZ_CHECK(strnlen(now.time, sizeof now.time) < sizeof now.time);
        FUZZ_CHECK(strnlen(now.destination, sizeof now.destination) < sizeof now.destination);
        FUZZ_CHECK(strnlen(now.return_time, sizeof now.return_time) < sizeof now.return_time);
        if (std::memcmp(&now, &was, sizeof now) != 0) ++changed;
    }
    FUZZ_CHECK(changed <= (outcome.kind == RequestOutcome::Matched ? 1 : 0));

    // The saved file reads back as the same count records: no field broke
    // a line.
    if (outcome.kind == RequestOutcome::Matched) {
        std::string saved = ReadBytes(data_file);
        static UserTable reloaded;
        LoadBoardFromBytes(reloaded, saved.data(), saved.size());
        size_t lines = 0;
        for (char c : saved) lines += c == '\n';
        FUZZ_CHECK(lines == kCount);
        for (uint32_t i = 0; i < kCount; ++i) {
            const UserRecord &a = table.slots[i];
            const UserRecord &b = reloaded.slots[i];
            FUZZ_CHECK(std::strcmp(a.name, b.name) == 0);
            FUZZ_CHECK((a.in_out != 0) == (b.in_out != 0));
            FUZZ_CHECK(SameOrSpaceForEmpty(a.destination, b.destination));
            FUZZ_CHECK(SameOrSpaceForEmpty(a.time, b.time));
            FUZZ_CHECK(SameOrSpaceForEmpty(a.return_time, b.return_time));
        }
        FUZZ_CHECK(reloaded.slots[kCount].name[0] == '\0');
    }
    return 0;
}
