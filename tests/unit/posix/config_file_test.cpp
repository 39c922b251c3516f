#include "server/posix/config_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/file_writer.h"
#include "server/board/server_settings.h"
#include "server/web/web_guard.h"
#include "tests/kit/doubles/failing_file_writer.h"
#include "tests/kit/doubles/fixed_key_crypto.h"
#include "tests/kit/files.h"
#include "tests/kit/scratch_dir.h"

namespace {

const char kFile[] = "# The board\n"
                     "WorkingDir = /var/lib/tesmar\n"
                     "\n"
                     "Port=223\n"
                     "  # the page's mark-up\n"
                     "Header=<p>\\r\\nOffice \\\\ Lab</p>\n";

TEST(ConfigFile, ReadsValuesTrimmedAndUnescaped) {
    PlatformFileWriter writer;
    ConfigFile config(writer);
    config.Parse(kFile);
    EXPECT_TRUE(config.Problems().empty());
    char value[64] = "left";
    EXPECT_TRUE(config.Read("WorkingDir", value, sizeof value));
    EXPECT_STREQ(value, "/var/lib/tesmar");
    EXPECT_TRUE(config.Read("Header", value, sizeof value));
    EXPECT_STREQ(value, "<p>\r\nOffice \\ Lab</p>");
    EXPECT_EQ(config.Find("Header")->line, 6);
    // Missing reads as empty; a value is cut to the capacity.
    EXPECT_TRUE(config.Read("HTMLFile", value, sizeof value));
    EXPECT_STREQ(value, "");
    char small[4];
    config.Read("WorkingDir", small, sizeof small);
    EXPECT_STREQ(small, "/va");
}

TEST(ConfigFile, LinesThatAreNoSettingAndNamesGivenTwiceAreProblemsWithTheirLine) {
    PlatformFileWriter writer;
    ConfigFile config(writer);
    config.Parse("Port=1\nnonsense\n=5\nPort=2\r\n");
    ASSERT_EQ(config.Problems().size(), 3u);
    EXPECT_EQ(config.Problems()[0].line, 2);
    EXPECT_EQ(config.Problems()[1].line, 3);
    EXPECT_EQ(config.Problems()[2].line, 4);
    EXPECT_NE(config.Problems()[2].text.find("line 1"), std::string::npos);
    EXPECT_EQ(config.Find("Port")->value, "1");
}

TEST(ConfigFile, AWriteKeepsCommentsOrderAndPermissionsAndAppendsANewName) {
    ScratchDir dir;
    std::string path = dir.File("tesmar.conf");
    WriteBytes(path, kFile);
    chmod(path.c_str(), 0600);
    PlatformFileWriter writer;
    ConfigFile config(writer);
    ASSERT_TRUE(config.Load(path));
    EXPECT_TRUE(config.Write("Port", "2230"));
    EXPECT_TRUE(config.Write("Footer", "</div>\r\n"));
    // A key made a hash leaves no line of its plain text.
    EXPECT_TRUE(config.Write("WebKey", "k3y"));
    EXPECT_TRUE(config.Remove("WebKey"));
    EXPECT_TRUE(config.Remove("NeverThere"));
    EXPECT_EQ(ReadBytes(path), "# The board\n"
                               "WorkingDir = /var/lib/tesmar\n"
                               "\n"
                               "Port=2230\n"
                               "  # the page's mark-up\n"
                               "Header=<p>\\r\\nOffice \\\\ Lab</p>\n"
                               "Footer=</div>\\r\\n\n");
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the keys' file became readable to others";
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"tesmar.conf"});
    // What was written reads back as it was given.
    ConfigFile again(writer);
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(again.Find("Footer")->value, "</div>\r\n");
}

TEST(ConfigFile, APlainKeyIsRewrittenAsItsHashInItsPlaceWithItsComment) {
    ScratchDir dir;
    std::string path = dir.File("tesmar.conf");
    WriteBytes(path, "Port=223\n# The browser's key\nWebKey=front-desk-key\nWebHosts=\n");
    PlatformFileWriter writer;
    ConfigFile config(writer);
    ASSERT_TRUE(config.Load(path));
    FixedKeyCrypto crypto;
    ServerSettings settings = {};
    EXPECT_EQ(WebSignKey(crypto).Load(config, settings), "");
    EXPECT_EQ(ReadBytes(path), "Port=223\n# The browser's key\nWebKeyHash=" +
                                   std::string(settings.WebKeyHash) + "\nWebHosts=\n");
    EXPECT_TRUE(KeyMatchesHash(crypto, "front-desk-key", settings.WebKeyHash));
}

TEST(ConfigFile, AWriteIntoAFolderItCannotReplaceFailsAndKeepsTheFile) {
    ScratchDir dir;
    std::string path = dir.File("tesmar.conf");
    WriteBytes(path, "Port=223");
    PlatformFileWriter writer;
    ConfigFile config(writer);
    ASSERT_TRUE(config.Load(path));
    // A directory standing where the temporary file goes (refused even to
    // root, which CI runs as).
    std::filesystem::create_directory(path + "." + std::to_string(getpid()) + ".tmp");
    EXPECT_FALSE(config.Write("Port", "224"));
    EXPECT_EQ(ReadBytes(path), "Port=223");
}

// A file that was only parsed is changed in memory; one loaded from a path
// is replaced through the writer it was made with, and a refusal is the
// write's failure.
TEST(ConfigFile, WritesGoThroughItsWriterToTheFileItWasLoadedFrom) {
    FailingFileWriter refusing;
    ConfigFile parsed(refusing);
    parsed.Parse("Port=223\n");
    EXPECT_TRUE(parsed.Write("Port", "224"));
    EXPECT_EQ(parsed.Find("Port")->value, "224");
    EXPECT_EQ(refusing.writes, 0);

    ScratchDir dir;
    std::string path = dir.File("tesmar.conf");
    WriteBytes(path, "Port=223");
    ConfigFile loaded(refusing);
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_FALSE(loaded.Write("Port", "224"));
    EXPECT_EQ(refusing.writes, 1);
    EXPECT_EQ(ReadBytes(path), "Port=223");
}

} // namespace
