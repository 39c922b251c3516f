// What the administration works on, over a board of its own in a scratch
// directory: Ann and Bob on it, published by the real publisher with the
// history journal, the settings in a store in memory, the key crypto
// fixed, the clock at 9:30 on 9 December 2026 and the facts made up. It
// keeps the names of the settings it is told were changed.
#pragma once
#include <string>
#include <vector>

#include "server/admin/admin_host.h"
#include "server/board/board_change.h"
#include "server/history/history_journal.h"
#include "server/history/history_recorder.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/fixed_key_crypto.h"
#include "tests/kit/doubles/memory_settings_store.h"

class ScratchAdminHost : public AdminHost {
  public:
    explicit ScratchAdminHost(const ScratchDir &dir)
        : settings(SettingsIn(dir)), journal(settings, 1252, files.writer),
          recorder(journal, clock) {
        clock.time = ClockTime{9, 30, 0, 2026, 12, 9};
        publisher.SetJournal(&recorder);
        ClearTable(table);
        AddNamed("Ann");
        AddNamed("Bob");
    }
    // Adds the member and saves the data file, past the publisher.
    void AddNamed(const char *name) {
        BoardContext board = Board();
        AddUser(board, name);
        WriteBoardFile(table, settings);
    }
    BoardContext Board() override { return BoardContext{table, settings, alerts, clock}; }
    bool ReloadBoard() override {
        BoardContext board = Board();
        return publisher.Reload(board);
    }
    PublishResult PublishChange(const BoardChange &change) override {
        BoardContext board = Board();
        PublishResult result = publisher.Publish(board, {change}, {});
        journal.Flush();
        return result;
    }
    ServerSettings &Settings() override { return settings; }
    SettingsStore &Store() override { return store; }
    KeyCrypto &Crypto() override { return crypto; }
    void SettingChanged(const char *name) override { changed.push_back(name); }
    AdminFacts Facts() override { return AdminFacts{"Listen: 10048", 3, true, "1.42.0"}; }
    FileReader &Files() override { return files.reader; }

    ServerSettings settings;
    UserTable table{};
    FixedClock clock;
    RecordingAlerts alerts;
    PlatformFiles files;
    Publisher publisher{files.reader, files.writer};
    HistoryJournal journal;
    HistoryRecorder recorder;
    MemorySettingsStore store;
    FixedKeyCrypto crypto;
    std::vector<std::string> changed;
};
