#include "server/page/board_json.h"

#include "common/clock.h"
#include "server/board/user_table.h"
#include "tests/kit/board_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const ClockTime kMade{9, 5, 7, 2026, 12, 8};

std::string Json(const UserTable &table, unsigned code_page = 1252) {
    std::string out;
    AppendBoardJson(out, table, kMade, code_page);
    return out;
}

} // namespace

TEST(BoardJson, EmptyBoard) {
    UserTable table;
    ClearTable(table);
    EXPECT_EQ("{\"made\": \"2026-12-08T09:05:07\", \"members\": []}\n", Json(table));
}

TEST(BoardJson, MembersInBoardOrderConvertedAndEscaped) {
    UserTable table;
    ClearTable(table);
    Put(table, 0, "\xc9mile \"E\"", 0, "Caf\xe9 \\ 2\t\x01", "10:00", " ");
    Put(table, 1, "Joan", 1, "Lunch", "9:15am", "13:00");
    Put(table, 2, "Zed", 0, " ", " ", "Monday");
    table.count = 3;
    EXPECT_EQ("{\"made\": \"2026-12-08T09:05:07\", \"members\": [\n"
              "{\"name\": \"\xc3\x89mile \\\"E\\\"\", \"in\": false, \"time\": \"10:00\", "
              "\"destination\": \"Caf\xc3\xa9 \\\\ 2\\u0009\\u0001\", \"return\": \"\", "
              "\"overdue\": false},\n"
              "{\"name\": \"Joan\", \"in\": true, \"time\": \"9:15am\", "
              "\"destination\": \"\", \"return\": \"\", \"overdue\": false},\n"
              "{\"name\": \"Zed\", \"in\": false, \"time\": \"\", "
              "\"destination\": \"\", \"return\": \"Monday\", \"overdue\": false}\n"
              "]}\n",
              Json(table));
}

TEST(BoardJson, OverdueWhenTodaysReturnTimeHasPassedAtMade) {
    UserTable table;
    ClearTable(table);
    Put(table, 0, "Ann", 0, "Bank", "8:00am", "9:00am"); // made at 9:05
    Put(table, 1, "Bob", 0, "Bank", "8:00am", "9:05am");
    table.count = 2;
    std::string json = Json(table);
    EXPECT_NE(std::string::npos, json.find("\"return\": \"9:00am\", \"overdue\": true}"));
    EXPECT_NE(std::string::npos, json.find("\"return\": \"9:05am\", \"overdue\": false}"));
}
