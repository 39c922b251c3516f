#include "server/web/sign_body.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Read(const std::string &body, SignBody &out) {
    return ReadSignBody(body.data(), body.size(), out);
}

std::string LineOf(const std::string &body, unsigned code_page = 1252) {
    SignBody sign;
    std::string line, lacking;
    if (!Read(body, sign)) return "refused";
    if (!SignRequestLine(sign, code_page, "9:07am", line, lacking))
        return lacking.empty() ? "refused" : "lacks " + lacking;
    return line;
}

} // namespace

TEST(SignRequest, ReadsTheDocumentWithEscapesAndUnknownMembers) {
    SignBody sign;
    ASSERT_TRUE(
        Read(" {\"name\": \"Ren\\u00e9e\", \"in\": false, \"time\": \"9:07am\",\n"
             "\"destination\": \"Caf\xc3\xa9 \\\"Z\\\" \\ud83d\\ude00\", \"return\": \"2pm\","
             " \"extra\": [1], \"n\": -1.5e3, \"z\": null} ",
             sign) == false);
    ASSERT_TRUE(
        Read("{\"name\": \"Ren\\u00e9e\", \"in\": false, \"time\": \"9:07am\","
             "\"destination\": \"Caf\xc3\xa9 \\\"Z\\\" \\ud83d\\ude00\", \"return\": \"2pm\","
             " \"n\": -1.5e3, \"z\": null, \"s\": \"x\"}",
             sign));
    EXPECT_EQ("Ren\xc3\xa9"
              "e",
              sign.name);
    EXPECT_FALSE(sign.in);
    EXPECT_EQ("Caf\xc3\xa9 \"Z\" \xf0\x9f\x98\x80", sign.destination);
    EXPECT_EQ("2pm", sign.return_time);
    ASSERT_TRUE(Read("{\"in\":true,\"name\":\"Bo\"}", sign));
    EXPECT_TRUE(sign.in);
    EXPECT_EQ("", sign.time);
}

TEST(SignRequest, RefusesWhatIsNotSuchADocument) {
    SignBody sign;
    for (const char *body :
         {"", "[]", "{}", "{\"name\": \"A\"}", "{\"in\": true}", "{\"name\": 5, \"in\": true}",
          "{\"name\": \"A\", \"in\": \"yes\"}", "{\"name\": \"A\", \"in\": true",
          "{\"name\": \"A\", \"in\": true} x", "{\"name\": \"A\", \"in\": true,}",
          "{\"name\": \"A\\q\", \"in\": true}", "{\"name\": \"\\ud800\", \"in\": true}",
          "{\"name\": \"\xc3\", \"in\": true}", "{\"name\": \"A\x01\", \"in\": true}",
          "{\"name\": \"A\\u0000\", \"in\": true}", "{\"name\": \"A\", \"in\": tru}"})
        EXPECT_FALSE(Read(body, sign)) << body;
    std::string big = "{\"name\": \"A\", \"in\": true, \"x\": \"" + std::string(4096, 'a') + "\"}";
    EXPECT_FALSE(Read(big, sign));
}

TEST(SignRequest, BecomesTheClientsRequestLineInTheCodePage) {
    EXPECT_EQ("#oRen\xe9"
              "e-9:07am-Caf\xe9 \x80-2pm",
              LineOf("{\"name\": \"Ren\xc3\xa9"
                     "e\", \"in\": false, \"time\": \"9:07am\","
                     "\"destination\": \"Caf\xc3\xa9 \xe2\x82\xac\", \"return\": \"2pm\"}"));
    // Empty fields as one space, a dash or line end in a field as a space,
    // no time: the server's clock.
    EXPECT_EQ("#oAnn-9:07am- -back at 2 pm",
              LineOf("{\"name\": \"Ann\", \"in\": false, \"return\": \"back-at\\n2 pm\"}"));
    EXPECT_EQ("#iAnn-8:00am", LineOf("{\"name\": \"Ann\", \"in\": true, \"time\": \"8:00am\","
                                     " \"destination\": \"ignored\"}"));
    // Cut to the fields' sizes, as the client cuts them.
    EXPECT_EQ("#i" + std::string(19, 'n') + "-9:07am",
              LineOf("{\"name\": \"" + std::string(40, 'n') + "\", \"in\": true}"));
    EXPECT_EQ("refused", LineOf("{\"name\": \"Jean-Luc\", \"in\": true}"));
    EXPECT_EQ("refused", LineOf("{\"name\": \"\", \"in\": true}"));
}

TEST(SignRequest, TheSystemsConversionAndNoCharacterKeptAsAQuestionMark) {
    // Cyrillic under 1251: the board's own bytes, name and destination.
    const std::string ivan = "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd",
                      lunch = "\xd0\x9e\xd0\xb1\xd0\xb5\xd0\xb4";
    EXPECT_EQ("#o\xc8\xe2\xe0\xed-9:07am-\xce\xe1\xe5\xe4-2pm",
              LineOf("{\"name\": \"" + ivan + "\", \"in\": false, \"destination\": \"" + lunch +
                         "\", \"return\": \"2pm\"}",
                     1251));
    // A character the code page has not is named, in any field.
    EXPECT_EQ("lacks \xc3\xa9", LineOf("{\"name\": \"" + ivan +
                                           "\", \"in\": false, \"destination\": "
                                           "\"Caf\xc3\xa9\"}",
                                       1251));
    EXPECT_EQ("lacks \xd0\x98", LineOf("{\"name\": \"" + ivan + "\", \"in\": true}", 1252));
    EXPECT_EQ("lacks \xe2\x98\x83",
              LineOf("{\"name\": \"Ann\", \"in\": false, \"return\": \"\xe2\x98\x83\"}"));
    EXPECT_EQ("lacks \xf0\x9f\x98\x80",
              LineOf("{\"name\": \"Ann\", \"in\": true, \"time\": \"\\ud83d\\ude00\"}", 1251));
    // A code page nobody knows holds ASCII alone.
    EXPECT_EQ("#iAnn-9:07am", LineOf("{\"name\": \"Ann\", \"in\": true}", 4711));
    EXPECT_EQ("lacks \xc3\xa9", LineOf("{\"name\": \"Ren\xc3\xa9"
                                       "e\", \"in\": true}",
                                       4711));
}
