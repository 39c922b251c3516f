#include "server/posix/config_check.h"

#include <gtest/gtest.h>

#include "common/file_writer.h"
#include "common/key_hash.h"
#include "server/posix/config_file.h"
#include "tests/kit/doubles/fixed_key_crypto.h"

namespace {

std::vector<std::string> Check(const std::string &text) {
    PlatformFileWriter writer;
    ConfigFile config(writer);
    config.Parse(text);
    return CheckConfig(config, "t.conf");
}

TEST(ConfigCheck, AFileOfTheSettingsWithGoodValuesPasses) {
    EXPECT_EQ(Check("WorkingDir=/srv/board\nPort=223\nWebPort=\nHistory=TRUE\n"
                    "ResetTime=18:30\nWebSignIn=FALSE\nCodePage=1251\nWebHosts=board%board.lan\n"),
              std::vector<std::string>{});
    PlatformFileWriter writer;
    ConfigFile config(writer);
    config.Parse("CodePage=1251\n");
    EXPECT_EQ(ConfiguredCodePage(config), 1251u);
    config.Parse("");
    EXPECT_EQ(ConfiguredCodePage(config), kDefaultCodePage);
}

TEST(ConfigCheck, EachUnknownNameAndBadValueIsNamedWithItsLine) {
    std::vector<std::string> faults = Check("WorkingDir=/srv/board\n"
                                            "Port=0\n"
                                            "Colour=blue\n"
                                            "History=true\n"
                                            "ResetTime=25:00\n"
                                            "WebPort=80a\n"
                                            "HTMLFile=board.html\n"
                                            "CodePage=99999\n"
                                            "WebKey=" +
                                            std::string(64, 'k') + "\n");
    std::vector<std::string> expected = {
        "t.conf:2: Port: \"0\" is not a port number (1 to 65535)",
        "t.conf:3: Colour: no such setting",
        "t.conf:4: History: \"true\" is neither TRUE nor FALSE",
        "t.conf:5: ResetTime: \"25:00\" is not a time of day (HH:MM, or empty)",
        "t.conf:6: WebPort: \"80a\" is not a port number (1 to 65535, or empty)",
        "t.conf:7: HTMLFile: \"board.html\" is not a full path (one that starts with /)",
        "t.conf:8: CodePage: \"99999\" is not a code page this system converts",
        "t.conf:9: WebKey: \"" + std::string(64, 'k') + "\" is longer than 63 characters",
    };
    EXPECT_EQ(faults, expected);
}

TEST(ConfigCheck, KeysMayBeGivenAsTheirHashesAndASpoiltHashIsNamedWithItsLine) {
    FixedKeyCrypto crypto;
    const std::string hash = MakeKeyHash(crypto, "front-desk-key");
    EXPECT_EQ(Check("WorkingDir=/srv/board\nPort=223\nWebKeyHash=" + hash +
                    "\nAdminKeyHash=" + hash + "\nMarshalKeyHash=\nAdminKey=plain admin key\n"),
              std::vector<std::string>{});
    EXPECT_EQ(Check("WorkingDir=/srv/board\nPort=223\n# pasted short\nAdminKeyHash=" +
                    hash.substr(0, hash.size() - 2) + "\n"),
              std::vector<std::string>{"t.conf:4: AdminKeyHash: \"" +
                                       hash.substr(0, hash.size() - 2) +
                                       "\" is not a key's hash (tesmar --hash-key makes one)"});
}

TEST(ConfigCheck, ThePortAndTheWorkingFolderMustBeGiven) {
    EXPECT_EQ(
        Check("# nothing\nPort=\n"),
        (std::vector<std::string>{"t.conf: WorkingDir is not set", "t.conf: Port is not set"}));
}

} // namespace
