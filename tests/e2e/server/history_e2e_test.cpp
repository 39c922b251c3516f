// The history journal of a running tesmar.exe with History off: nothing is
// written. (With it on, the dialogs' end-to-end run reads the journal.)
#include <dirent.h>

#include <string>

#include "tests/e2e/server/server_fixture.h"

namespace {

using e2e::Exchange;

// The journal files in a directory.
std::vector<std::string> JournalFiles(const std::string &dir) {
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *entry = readdir(d)) {
            std::string name = entry->d_name;
            if (name.rfind("history-", 0) == 0) names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

TEST_F(ServerTest, HistoryOffWritesNoJournal) {
    SetSetting("History", "FALSE");
    StartServer("Ann-1- -09:00- -\r\n");
    EXPECT_EQ(Exchange(port, "#oAnn-12:00-Smith, Jones-=1+1\n\r").bytes, "0\n\r");
    EXPECT_EQ(Board(), "Ann-0-Smith, Jones-12:00-=1+1-\r\n");
    EXPECT_TRUE(JournalFiles(work + "/board").empty());
}

} // namespace
