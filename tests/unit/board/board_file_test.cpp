#include "server/board/board_file.h"

#include "common/files.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "tests/kit/board_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A literal's bytes, NULs included.
template <size_t N> std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

void Load(UserTable &table, const std::string &bytes) {
    LoadBoardFromBytes(table, bytes.data(), bytes.size());
}

// Every text field ends within its capacity.
void ExpectTerminated(const UserTable &table) {
    for (const UserRecord &r : table.slots) {
        ASSERT_LT(strnlen(r.name, sizeof r.name), sizeof r.name);
        ASSERT_LT(strnlen(r.destination, sizeof r.destination), sizeof r.destination);
        ASSERT_LT(strnlen(r.time, sizeof r.time), sizeof r.time);
        ASSERT_LT(strnlen(r.return_time, sizeof r.return_time), sizeof r.return_time);
    }
}

class BoardFile : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearTable(table);
        settings = SettingsIn(dir);
    }
    std::string DataFile() const { return dir.File("tesmar.dat"); }

    ScratchDir dir;
    ServerSettings settings;
    UserTable table;
};

} // namespace

TEST(DataFilePath, IsTheWorkingDirectoryTheSeparatorAndTesmarDat) {
    ServerSettings settings{};
    std::strcpy(settings.WorkingDir, "C:\\Board");
    char path[400];
    ASSERT_TRUE(BuildDataFilePath(settings, path, sizeof path));
    EXPECT_EQ(std::string("C:\\Board") + kPathSeparator + "tesmar.dat", path);
    std::strcpy(settings.WorkingDir, "D:\\"); // nothing removed: a doubled separator
    ASSERT_TRUE(BuildDataFilePath(settings, path, sizeof path));
    EXPECT_EQ(std::string("D:\\") + kPathSeparator + "tesmar.dat", path);
    EXPECT_FALSE(
        BuildDataFilePath(settings, path, std::strlen("D:\\") + 11)); // no room for the NUL
    EXPECT_STREQ("", path);
}

TEST_F(BoardFile, WritesOneCrLfLinePerRecordWithEmptyFieldsAsOneSpace) {
    Put(table, 0, "Ann", 1, "", "12:00", "");
    Put(table, 1, "Bob", 0, "Lunch", "12:00", "13:00");
    Put(table, 2, "Cy", 0, " ", " ", " ");
    Put(table, 3, "Beyond", 1, "count", "", ""); // not in use: never written
    table.count = 3;
    ASSERT_TRUE(WriteBoardFile(table, settings));
    EXPECT_EQ("Ann-1- -12:00- -\r\n"
              "Bob-0-Lunch-12:00-13:00-\r\n"
              "Cy-0- - - -\r\n",
              ReadBytes(DataFile()));

    // A longer old file is replaced whole, not overwritten in part.
    table.count = 1;
    ASSERT_TRUE(WriteBoardFile(table, settings));
    EXPECT_EQ("Ann-1- -12:00- -\r\n", ReadBytes(DataFile()));

    table.count = 0;
    ASSERT_TRUE(WriteBoardFile(table, settings));
    EXPECT_TRUE(std::filesystem::exists(DataFile()));
    EXPECT_EQ(0u, std::filesystem::file_size(DataFile()));
    EXPECT_EQ(std::vector<std::string>{"tesmar.dat"}, FilesIn(dir.path()));
}

TEST_F(BoardFile, RoundTripGivesTheSameRecordsWithEmptyFieldsAsOneSpace) {
    Put(table, 0, "Ann", 1, "", "12:00", "");
    Put(table, 1, "Bob Smith", 0, "Head office, 2nd fl", "9:05 am", "after lunch (maybe)");
    Put(table, 2, "Nineteen characters", 0, "twenty nine characters, full", "123456789",
        "xxxxxxxxxxxxxxxxxxxxxxxxxxxxx");
    table.count = 3;
    ASSERT_TRUE(WriteBoardFile(table, settings));

    UserTable loaded;
    ClearTable(loaded);
    loaded.count = 7; // the load leaves count alone
    Put(loaded, 5, "stale", 1, "", "", "");
    ASSERT_EQ(BoardLoad::Loaded, ReadBoardFile(loaded, settings));
    EXPECT_EQ(7u, loaded.count);
    EXPECT_STREQ("Ann", loaded.slots[0].name);
    EXPECT_EQ(1, loaded.slots[0].in_out);
    EXPECT_STREQ(" ", loaded.slots[0].destination);
    EXPECT_STREQ("12:00", loaded.slots[0].time);
    EXPECT_STREQ(" ", loaded.slots[0].return_time);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(0, std::memcmp(&table.slots[i], &loaded.slots[i], sizeof(UserRecord))) << i;
    }
    EXPECT_STREQ("", loaded.slots[5].name); // every slot cleared first

    // Saving what was loaded writes the same bytes again: one space stays
    // one space.
    std::string first = ReadBytes(DataFile());
    ASSERT_TRUE(WriteBoardFile(loaded, settings));
    std::string second = ReadBytes(DataFile());
    EXPECT_EQ(first, second.substr(0, first.size()));
}

TEST_F(BoardFile, MissingFileLeavesTheTableAsItWas) {
    Put(table, 0, "Ann", 1, "", "12:00", "");
    table.count = 1;
    EXPECT_EQ(BoardLoad::Missing, ReadBoardFile(table, settings));
    EXPECT_STREQ("Ann", table.slots[0].name);
    // A directory standing where the file should be cannot be read.
    std::filesystem::create_directory(DataFile());
    EXPECT_EQ(BoardLoad::Failed, ReadBoardFile(table, settings));
    EXPECT_STREQ("Ann", table.slots[0].name);
}

// Each reader holds its own open file: one opened in the middle of
// another's read does not take it over.
TEST_F(BoardFile, TwoReadersOpenAtOnceEachReadTheirOwnFile) {
    WriteBytes(DataFile(), "Ann-1- -8:00- -\r\n");
    const std::string other = DataFile() + ".other";
    WriteBytes(other, "zz");
    StandardFileReader board, second;
    ASSERT_EQ(FileReader::Open, board.OpenFile(DataFile().c_str()));
    char bytes[64];
    ASSERT_EQ(4, board.ReadSome(bytes, 4));
    ASSERT_EQ(FileReader::Open, second.OpenFile(other.c_str()));
    EXPECT_EQ(2, second.ReadSome(bytes, sizeof bytes));
    EXPECT_EQ(13, board.ReadSome(bytes, sizeof bytes));
    EXPECT_EQ("1- -8:00- -\r\n", std::string(bytes, 13));
}

TEST(BoardReading, AcceptsBareLineFeedsAndLoadsAnUnterminatedLastLine) {
    UserTable crlf, lf;
    ClearTable(crlf);
    ClearTable(lf);
    Load(crlf, "Ann-1- -12:00- -\r\nBob-0-Lunch-12:00-13:00-\r\nCy-0-Home-17:00-tomorrow-");
    Load(lf, "Ann-1- -12:00- -\nBob-0-Lunch-12:00-13:00-\nCy-0-Home-17:00-tomorrow-");
    EXPECT_EQ(0, std::memcmp(crlf.slots, lf.slots, sizeof crlf.slots));
    EXPECT_STREQ("Bob", lf.slots[1].name);
    EXPECT_STREQ("13:00", lf.slots[1].return_time);
    EXPECT_STREQ("Cy", lf.slots[2].name);
    EXPECT_STREQ("tomorrow", lf.slots[2].return_time);
    EXPECT_STREQ("", lf.slots[3].name);

    // An unterminated last line without its trailing dash, and one cut
    // between CR and LF.
    Load(lf, "Ann-1- -12:00- -\r\nDee-0-Bank-10:00-11:00");
    EXPECT_STREQ("11:00", lf.slots[1].return_time);
    Load(lf, "Dee-0-Bank-10:00-11:00\r");
    EXPECT_STREQ("11:00", lf.slots[0].return_time);
}

TEST(BoardReading, ControlBytesOfAHandEditBecomeSpaces) {
    UserTable table;
    ClearTable(table);
    Load(table, "Ann\tLee-0-Lunch\x1b[1m\x01-9:00\r-\x7fsoon-\r\n\x02-1- -8:00- -\r\n");
    EXPECT_STREQ("Ann Lee", table.slots[0].name);
    EXPECT_STREQ("Lunch [1m ", table.slots[0].destination);
    EXPECT_STREQ("9:00 ", table.slots[0].time);
    EXPECT_STREQ(" soon", table.slots[0].return_time);
    EXPECT_STREQ("", table.slots[1].name); // nothing but a control byte: a free slot
}

TEST(BoardReading, SplitsAtRunsOfDashesAndLoadsMissingFieldsEmpty) {
    UserTable table;
    ClearTable(table);
    Load(table, "--Ann---1--Far away---9:00--10:00---extra-more-\n"
                "\n"
                "------\n"
                "Dee-0\n"
                " -1-Ghost-12:00-13:00-\n"
                " Eve -1-  -12:00- -\n");
    EXPECT_STREQ("Ann", table.slots[0].name);
    EXPECT_EQ(1, table.slots[0].in_out);
    EXPECT_STREQ("Far away", table.slots[0].destination);
    EXPECT_STREQ("9:00", table.slots[0].time);
    EXPECT_STREQ("10:00", table.slots[0].return_time);
    // An empty line and a line of dashes take no slot.
    EXPECT_STREQ("Dee", table.slots[1].name);
    EXPECT_EQ(0, table.slots[1].in_out);
    EXPECT_STREQ("", table.slots[1].destination);
    EXPECT_STREQ("", table.slots[1].return_time);
    EXPECT_STREQ("", table.slots[2].name);      // a name of one space: a free slot
    EXPECT_STREQ(" Eve ", table.slots[3].name); // spaces are kept
    EXPECT_STREQ("  ", table.slots[3].destination);
}

TEST(BoardReading, KeepsTheLowEightBitsOfTheFlagWithoutOverflow) {
    struct Case {
        const char *token;
        int flag;
    } cases[] = {{"1", 1},
                 {"0", 0},
                 {" ", 0},
                 {"x1", 0},
                 {"  7 days", 7},
                 {"\t+2", 2},
                 {"257", 1},
                 {"128", -128},
                 {"255", -1},
                 {"18446744073709551617", 1}, // 2^64 + 1
                 {"99999999999999999999999999999999999999", -1}};
    // (10^38 - 1) mod 256 = 255: 10^38 is a multiple of 256.
    for (const Case &c : cases) {
        UserTable table;
        ClearTable(table);
        Load(table, std::string("Ann-") + c.token + "-x-1:00-2:00-\r\n");
        EXPECT_EQ(c.flag, table.slots[0].in_out) << c.token;
        EXPECT_STREQ("x", table.slots[0].destination) << c.token;
    }
}

TEST(BoardReading, CutsLongLinesAndSkipsTheirRest) {
    UserTable table;
    ClearTable(table);
    std::string long_name(300, 'N');
    std::string long_destination(244, 'D');
    Load(table, long_name + "-0-Away-1:00-2:00-\r\n" + // all of its 254 characters are name
                    "Bob-0-" + long_destination + "-3:00-4:00-\r\n" + // cut in its time
                    "Cy-1- -5:00- -\r\n");
    EXPECT_EQ(std::string(19, 'N'), table.slots[0].name);
    EXPECT_STREQ("", table.slots[0].destination);
    EXPECT_EQ(0, table.slots[0].in_out);
    EXPECT_STREQ("Bob", table.slots[1].name);
    EXPECT_EQ(std::string(29, 'D'), table.slots[1].destination);
    EXPECT_STREQ("3:0", table.slots[1].time); // characters 251 to 253
    EXPECT_STREQ("", table.slots[1].return_time);
    EXPECT_STREQ("Cy", table.slots[2].name); // the rest was not a line of its own
    EXPECT_STREQ("5:00", table.slots[2].time);
}

TEST(BoardReading, IgnoresLinesBeyondTheLastSlot) {
    std::string bytes;
    for (int i = 0; i < 200; ++i) bytes += "u" + std::to_string(i) + "-1- -12:00- -\r\n";
    UserTable table;
    ClearTable(table);
    Load(table, bytes);
    EXPECT_STREQ("u0", table.slots[0].name);
    EXPECT_STREQ("u149", table.slots[149].name);
}

TEST(BoardReading, NeverLeavesItsBuffersWhateverTheBytes) {
    UserTable table;
    ClearTable(table);
    // A NUL inside a field ends the field.
    Load(table, Bytes("Ann\0Bob-1-Lu\0nch-12:00- -\r\n\0\0\0-0-\r\nCy-1- -1:00- -"));
    ExpectTerminated(table);
    EXPECT_STREQ("Ann", table.slots[0].name);
    EXPECT_STREQ("Lu", table.slots[0].destination);
    EXPECT_STREQ("", table.slots[1].name);
    EXPECT_STREQ("Cy", table.slots[2].name);

    // A zero-filled file after a power cut.
    Load(table, std::string(100000, '\0'));
    ExpectTerminated(table);
    for (const UserRecord &r : table.slots) EXPECT_STREQ("", r.name);

    // The file saved as UTF-16.
    std::string wide;
    for (char c : std::string("\xFF\xFE") + "Ann-1- -12:00- -\r\nBob-0-x-1-2-\r\n") {
        wide += c;
        wide += '\0';
    }
    Load(table, wide);
    ExpectTerminated(table);

    // Arbitrary bytes, dashes and line ends among them.
    uint32_t state = 12345;
    for (int round = 0; round < 50; ++round) {
        std::string bytes(1 + round * 997, '\0');
        for (char &c : bytes) {
            state = state * 1103515245u + 12345u;
            uint32_t r = state >> 16;
            c = (r % 7 == 0) ? '-' : (r % 53 == 0) ? '\n' : static_cast<char>(r & 0xFF);
        }
        Load(table, bytes);
        ExpectTerminated(table);
    }
}

TEST_F(BoardFile, ReadsTheFileInPiecesAsItReadsTheBytes) {
    // Lines of all lengths cross the reader's chunk boundaries.
    std::string bytes;
    for (int i = 0; i < 160; ++i) {
        bytes += "user" + std::to_string(i) + "-" + std::to_string(i % 3) + "-" +
                 std::string(static_cast<size_t>(i * 7 % 300), static_cast<char>('a' + i % 26)) +
                 "-" + std::to_string(i) + "- -" + (i % 2 ? "\r\n" : "\n");
    }
    bytes += "last-1-no-line-end";
    WriteBytes(DataFile(), bytes);
    UserTable from_file, from_bytes;
    ClearTable(from_file);
    ClearTable(from_bytes);
    ASSERT_EQ(BoardLoad::Loaded, ReadBoardFile(from_file, settings));
    Load(from_bytes, bytes);
    EXPECT_EQ(0, std::memcmp(from_file.slots, from_bytes.slots, sizeof from_file.slots));
    EXPECT_STREQ("user149", from_file.slots[149].name);

    WriteBytes(DataFile(), "Ann-1- -12:00- -\r\nBob-0-x-1-2-");
    ASSERT_EQ(BoardLoad::Loaded, ReadBoardFile(from_file, settings));
    EXPECT_STREQ("Bob", from_file.slots[1].name); // the unterminated last line
}

TEST_F(BoardFile, NextSaveDropsLinesBeyondCountAndNulBytes) {
    WriteBytes(DataFile(), Bytes("Ann-1- -12:00- -\r\nB\0b-0-x-1-2-\r\nHand-1- -9- -\r\n"));
    table.count = 2;
    ASSERT_EQ(BoardLoad::Loaded, ReadBoardFile(table, settings));
    EXPECT_STREQ("Hand", table.slots[2].name); // loaded beyond count
    ASSERT_TRUE(WriteBoardFile(table, settings));
    EXPECT_EQ("Ann-1- -12:00- -\r\nB-0-x-1-2-\r\n", ReadBytes(DataFile()));
}

TEST_F(BoardFile, FailedSaveLeavesWhatStoodThereWhole) {
    // As root a read-only file is still writable: a directory standing
    // where the file should be makes the replacement fail.
    std::filesystem::create_directory(DataFile());
    WriteBytes((std::filesystem::path(DataFile()) / "kept").string(), "old");
    Put(table, 0, "Ann", 1, "", "12:00", "");
    table.count = 1;
    EXPECT_FALSE(WriteBoardFile(table, settings));
    EXPECT_TRUE(std::filesystem::is_directory(DataFile()));
    EXPECT_EQ("old", ReadBytes((std::filesystem::path(DataFile()) / "kept").string()));
    EXPECT_EQ(std::vector<std::string>{"tesmar.dat"}, FilesIn(dir.path())); // no stray file

    // A working directory that does not exist.
    std::string missing = dir.File("missing");
    std::strcpy(settings.WorkingDir, missing.c_str());
    EXPECT_FALSE(WriteBoardFile(table, settings));
    EXPECT_FALSE(std::filesystem::exists(missing));
}
