#include "server/rollcall/roll_call.h"

#include <gtest/gtest.h>

#include "server/board/board_change.h"
#include "server/rollcall/roll_call_body.h"
#include "server/rollcall/roll_call_file.h"
#include "server/rollcall/roll_call_json.h"
#include "server/rollcall/roll_call_page.h"
#include "server/rollcall/roll_call_report.h"
#include "tests/kit/board_test_support.h"

namespace {

ClockTime At(int hour, int minute) {
    ClockTime t{hour, minute, 0};
    t.year = 2026;
    t.month = 12;
    t.day = 9;
    return t;
}

// Ann and Cy in, Bob out.
UserTable Board() {
    UserTable table{};
    Put(table, 0, "Ann", 1, " ", "9:00am", " ");
    Put(table, 1, "Bob", 0, "Lunch", "12:00pm", "1:00pm");
    Put(table, 2, "Cy", 1, " ", "8:30am", " ");
    table.count = 3;
    return table;
}

BoardChange Change(BoardChange::Kind kind, const char *name) {
    BoardChange change;
    change.kind = kind;
    change.name = name;
    change.peer = "10.0.0.9";
    return change;
}

RollCall Started(bool drill = false) {
    RollCall roll;
    EXPECT_EQ(StartRollCall(roll, Board(), drill, At(10, 15)), RollAnswer::Done);
    return roll;
}

std::string Json(const RollCall &roll) {
    std::string out;
    AppendRollCallJson(out, roll, 1252);
    return out;
}

TEST(RollCall, TakesWhoIsInAndMarksAndTakesBackByNameInAnyCase) {
    RollCall roll = Started();
    ASSERT_EQ(roll.people.size(), 2u);
    EXPECT_EQ(StartRollCall(roll, Board(), false, At(10, 16)), RollAnswer::Running);

    EXPECT_EQ(MarkPerson(roll, "cy", true, "10.0.0.5", At(10, 17)), RollAnswer::Done);
    EXPECT_EQ(MarkPerson(roll, "Bob", true, "10.0.0.5", At(10, 17)), RollAnswer::NoSuchName);
    EXPECT_EQ(
        Json(roll),
        "{\"running\": true, \"drill\": false, \"started\": \"2026-12-09T10:15:00\", "
        "\"ended\": null, \"expected\": 2, \"safe\": 1, \"people\": ["
        "{\"name\": \"Ann\", \"state\": \"missing\", \"marked\": \"\", \"by\": \"\"}, "
        "{\"name\": \"Cy\", \"state\": \"safe\", \"marked\": \"10:17\", \"by\": \"10.0.0.5\"}]}");

    EXPECT_EQ(MarkPerson(roll, "Cy", false, "10.0.0.5", At(10, 18)), RollAnswer::Done);
    EXPECT_EQ(SafeCount(roll), 0);
    EXPECT_EQ(roll.people[1].marked, "");

    EXPECT_EQ(EndRollCall(roll, At(10, 40)), RollAnswer::Done);
    EXPECT_EQ(EndRollCall(roll, At(10, 41)), RollAnswer::NotRunning);
    EXPECT_EQ(MarkPerson(roll, "Ann", true, "10.0.0.5", At(10, 42)), RollAnswer::NotRunning);
    EXPECT_NE(Json(roll).find(
                  "\"running\": false, \"drill\": false, \"started\": \"2026-12-09T10:15:00\", "
                  "\"ended\": \"2026-12-09T10:40:00\""),
              std::string::npos);
}

TEST(RollCall, FollowsTheBoardWhoLeftAndWhoCameIn) {
    RollCall roll = Started();
    MarkPerson(roll, "Cy", true, "10.0.0.5", At(10, 16));
    // Cy, already safe, signing out stays safe; Ann, missing, has left.
    EXPECT_FALSE(FollowChange(roll, Change(BoardChange::SignedOut, "Cy"), At(10, 17)));
    EXPECT_TRUE(FollowChange(roll, Change(BoardChange::SignedOut, "Ann"), At(10, 17)));
    EXPECT_EQ(roll.people[0].state, RollState::Left);
    EXPECT_EQ(ExpectedCount(roll), 1);
    // Bob comes in: on the list, in board order, missing; Ann comes back.
    EXPECT_TRUE(FollowChange(roll, Change(BoardChange::SignedIn, "Bob"), At(10, 18)));
    EXPECT_TRUE(FollowChange(roll, Change(BoardChange::SignedIn, "Ann"), At(10, 18)));
    ASSERT_EQ(roll.people.size(), 3u);
    EXPECT_EQ(roll.people[1].name, "Bob");
    EXPECT_EQ(roll.people[0].state, RollState::Missing);
    EXPECT_EQ(ExpectedCount(roll), 3);

    EndRollCall(roll, At(10, 30));
    EXPECT_FALSE(FollowChange(roll, Change(BoardChange::SignedOut, "Bob"), At(10, 31)));
}

TEST(RollCall, ReportHasARowAPersonWithStartEndAndDrill) {
    RollCall roll = Started(true);
    roll.people[0].name = "=Ann, Jr";
    MarkPerson(roll, "Cy", true, "10.0.0.5", At(10, 17));
    EndRollCall(roll, At(10, 40));
    EXPECT_EQ(RollCallReport(roll, 1252),
              "\xEF\xBB\xBF"
              "name,state,marked,by,started,ended,drill\r\n"
              "\"'=Ann, Jr\",missing,,,2026-12-09 10:15:00,2026-12-09 10:40:00,yes\r\n"
              "Cy,safe,10:17,10.0.0.5,2026-12-09 10:15:00,2026-12-09 10:40:00,yes\r\n");
}

TEST(RollCallFile, RoundTripsAndRefusesEveryCutAndEveryChangedByte) {
    RollCall roll = Started(true);
    roll.people[0].name = "Ann Marie";
    MarkPerson(roll, "Cy", true, "10.0.0.5", At(10, 17));
    FollowChange(roll, Change(BoardChange::SignedOut, "Ann Marie"), At(10, 18));
    std::string bytes = EncodeRollCall(roll);
    RollCall read;
    ASSERT_TRUE(DecodeRollCall(bytes, read));
    EXPECT_EQ(Json(read), Json(roll));
    EndRollCall(roll, At(10, 40));
    ASSERT_TRUE(DecodeRollCall(EncodeRollCall(roll), read));
    EXPECT_EQ(Json(read), Json(roll));

    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(DecodeRollCall(bytes.substr(0, n), read)) << n;
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string changed = bytes;
        changed[i] ^= 0x20;
        EXPECT_FALSE(DecodeRollCall(changed, read)) << i;
    }
    EXPECT_FALSE(DecodeRollCall("Ann-1-x-9:00am-x\r\n", read));
}

TEST(RollCallBody, ReadsTheThreeCommandsAndNothingElse) {
    RollCallCommand command;
    auto read = [&](const std::string &body) {
        return ReadRollCallBody(body.data(), body.size(), command);
    };
    ASSERT_TRUE(read("{\"start\": true, \"drill\": true}"));
    EXPECT_EQ(command.kind, RollCallCommand::Start);
    EXPECT_TRUE(command.drill);
    ASSERT_TRUE(read(" {\"mark\": \"Ren\\u00e9\", \"safe\": false, \"note\": 1} "));
    EXPECT_EQ(command.kind, RollCallCommand::Mark);
    EXPECT_EQ(command.name, "Ren\xC3\xA9");
    EXPECT_FALSE(command.safe);
    ASSERT_TRUE(read("{\"end\": true}"));
    EXPECT_EQ(command.kind, RollCallCommand::End);

    for (const char *bad : {"", "{}", "[]", "{\"start\": false}", "{\"start\": 1}",
                            "{\"mark\": \"Ann\"}", "{\"mark\": \"\", \"safe\": true}",
                            "{\"mark\": 3, \"safe\": true}", "{\"start\": true, \"end\": true}",
                            "{\"end\": true} x", "{\"end\": true", "{\"drill\": true}"})
        EXPECT_FALSE(read(bad)) << bad;
    EXPECT_FALSE(
        read("{\"mark\": \"" + std::string(kMaxRollCallBodyBytes, 'a') + "\", \"safe\": true}"));
}

TEST(RollCallPage, ListsTheMissingFirstEscapedWithItsOwnScriptAndDrill) {
    RollCall roll = Started(true);
    roll.people[1].name = "<b>Cy</b>";
    MarkPerson(roll, "Ann", true, "10.0.0.5", At(10, 17));
    std::string page;
    AppendRollCallPage(page, roll, 1252);
    size_t cy = page.find("&lt;b&gt;Cy&lt;/b&gt;");
    size_t ann = page.find(">Ann<");
    ASSERT_NE(cy, std::string::npos);
    ASSERT_NE(ann, std::string::npos);
    EXPECT_LT(cy, ann);
    EXPECT_EQ(page.find("<b>Cy"), std::string::npos);
    EXPECT_NE(page.find("<span id=\"n-safe\">1</span>"), std::string::npos);
    EXPECT_NE(page.find(">DRILL<"), std::string::npos);
    EXPECT_NE(page.find(std::string("<style>") + kRollCallStyle + "</style>"), std::string::npos);
    EXPECT_NE(page.find(std::string("<script>") + kRollCallScript + "</script>"),
              std::string::npos);
    EXPECT_EQ(page.find(" style="), std::string::npos);
    EXPECT_EQ(page.find(" onclick="), std::string::npos);
}

} // namespace
