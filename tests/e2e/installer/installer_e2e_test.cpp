// The packages of installer/ under Wine, in private prefixes: msiexec
// installs them with properties, the installed programs run (the server
// answers the installed client), a newer package replaces an older one
// keeping its settings, and msiexec /x removes the programs and keeps the
// board and the members' own values. Programs and packages carry the one
// version.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

namespace {

const std::string kVersion = BOARD_VERSION;
const std::string kLowerVersion = "0.1.0";
const char kTesmarKey[] = "HKLM\\SOFTWARE\\KVT\\Tesmar";
const char kWenloKey[] = "HKLM\\SOFTWARE\\KVT\\Wenlo";
const char kRunKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class Packages : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = e2e::ScratchDir(std::string("installer.") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::string bin = dir_ + "/bin";
        e2e::MakeDirectories(bin);
        for (const std::string &exe : {e2e::TesmarExe(), e2e::WenloExe()}) {
            ASSERT_TRUE(e2e::FileExists(exe)) << exe << " is not built";
            std::filesystem::copy_file(exe, bin + exe.substr(exe.find_last_of('/')));
        }
        for (const std::string &version : {kVersion, kLowerVersion}) {
            std::string command = e2e::SourceDir() + "/installer/build-packages " + version + " '" +
                                  bin + "' '" + dir_ + "/packages' >/dev/null";
            ASSERT_EQ(0, std::system(command.c_str())) << command;
        }
        prefix_ = std::make_unique<e2e::WinePrefix>(dir_ + "/prefix");
    }
    void TearDown() override {
        prefix_.reset(); // ends every program in the prefix first
        e2e::RemoveTree(dir_);
    }

    std::string Package(const std::string &program, const std::string &version) {
        return e2e::WindowsPath(dir_ + "/packages/" + program + "-" + version + ".msi");
    }
    int Msiexec(std::vector<std::string> args) {
        args.push_back("/qn");
        return prefix_->Run("msiexec", args, 180000);
    }

    // Wine's reg with the arguments: what it printed. Value: the value of
    // name under key, "<none>" when there is none.
    std::string Reg(const std::vector<std::string> &args) {
        std::string output = dir_ + "/reg.txt";
        e2e::RemoveTree(output);
        pid_t pid = prefix_->Start("reg", args, output);
        e2e::WinePrefix::WaitExit(pid, 60000);
        return ReadBytes(output);
    }
    std::string Value(const std::string &key, const std::string &name) {
        std::string said = Reg({"query", key, "/v", name});
        std::string mark = "    " + name + "    REG_SZ    ";
        size_t at = said.find(mark);
        if (at == std::string::npos) return "<none>";
        at += mark.size();
        return said.substr(at, said.find_first_of("\r\n", at) - at);
    }
    // How many products of that name Programs and Features lists.
    int Products(const std::string &name) {
        std::string said = Reg({"query", kUninstallKey, "/s"});
        std::string mark = "DisplayName    REG_SZ    " + name + "\r";
        int count = 0;
        for (size_t at = said.find(mark); at != std::string::npos; at = said.find(mark, at + 1))
            ++count;
        return count;
    }

    // The package property of a setting: its name in capitals.
    static std::string Property(std::string name) {
        for (char &c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return name;
    }

    std::string Installed(const std::string &file) {
        return prefix_->Path() + "/drive_c/Program Files/KVT/" + file;
    }
    // The Start-menu shortcut: in the all-users Start menu, where Windows
    // puts a per-machine package's; Wine puts it in the installing
    // account's.
    bool Shortcut(const std::string &name) {
        const std::string menu = "/Microsoft/Windows/Start Menu/Programs/" + name + ".lnk";
        std::string drive = prefix_->Path() + "/drive_c";
        if (e2e::FileExists(drive + "/ProgramData" + menu)) return true;
        std::error_code error;
        for (const auto &user : std::filesystem::directory_iterator(drive + "/users", error))
            if (e2e::FileExists(user.path().string() + "/AppData/Roaming" + menu)) return true;
        return false;
    }

    int Drive(const std::vector<std::string> &args, std::string *said) {
        return e2e::DriveWenlo(*prefix_, args, dir_ + "/driver.txt", said);
    }

    std::string dir_;
    std::unique_ptr<e2e::WinePrefix> prefix_;
};

TEST_F(Packages, InstalledServerAnswersInstalledClientAndUpgradeAndRemovalKeepWhatTheyMust) {
    const std::string board = dir_ + "/board", page = dir_ + "/page/inout.htm";
    const std::string data = board + "/tesmar.dat";
    const int port = e2e::FreePort(), web_port = e2e::FreePort();
    // The web port's settings and the keys, as the package's properties
    // give them (a key stays in clear until the server's next start).
    const std::vector<std::pair<std::string, std::string>> web = {
        {"WebPort", std::to_string(web_port)},
        {"WebSignIn", "TRUE"},
        {"WebHosts", "board.example.org%intranet"},
        {"WebKey", "front-desk-key"},
        {"AdminKey", "admin-key-1234"},
        {"MarshalKey", "marshal-key-1234"}};
    e2e::MakeDirectories(board);
    e2e::MakeDirectories(dir_ + "/page");
    e2e::WriteFile(data, "Ann-1- -9:00am- -\r\nBob-1- -9:10am- -\r\n");
    // A member's own values, which no package may touch.
    const char kMemberKey[] = "HKCU\\SOFTWARE\\KVT\\Wenlo";
    Reg({"add", kMemberKey, "/v", "UserName", "/d", "Ann", "/f"});
    Reg({"add", kMemberKey, "/v", "Names", "/d", "Bob", "/f"});

    std::vector<std::string> install = {"/i",
                                        Package("tesmar", kLowerVersion),
                                        "WORKINGDIR=" + e2e::WindowsPath(board),
                                        "PORT=" + std::to_string(port),
                                        "HTMLFILE=" + e2e::WindowsPath(page),
                                        "AUTOSTART=1"};
    for (const auto &[name, value] : web) install.push_back(Property(name) + "=" + value);
    ASSERT_EQ(0, Msiexec(install));
    ASSERT_EQ(0, Msiexec({"/i", Package("wenlo", kLowerVersion), "SERVER=127.0.0.1",
                          "PORT=" + std::to_string(port)}));
    EXPECT_TRUE(e2e::FileExists(Installed("tesmar.exe")));
    EXPECT_TRUE(e2e::FileExists(Installed("wenlo.exe")));
    EXPECT_TRUE(Shortcut("Tesmar"));
    EXPECT_TRUE(Shortcut("Wenlo"));
    EXPECT_EQ("\"C:\\Program Files\\KVT\\tesmar.exe\"", Value(kRunKey, "Tesmar"));
    EXPECT_EQ("\"C:\\Program Files\\KVT\\wenlo.exe\"", Value(kRunKey, "Wenlo"));
    EXPECT_EQ(e2e::WindowsPath(board) + "\\", Value(kTesmarKey, "WorkingDir"));
    EXPECT_EQ(std::to_string(port), Value(kTesmarKey, "Port"));
    EXPECT_EQ(e2e::WindowsPath(page), Value(kTesmarKey, "HTMLFile"));
    for (const auto &[name, value] : web) EXPECT_EQ(value, Value(kTesmarKey, name)) << name;
    EXPECT_EQ("127.0.0.1", Value(kWenloKey, "Server"));
    EXPECT_EQ(std::to_string(port), Value(kWenloKey, "Port"));

    // No first-run question holds the installed server before it listens.
    pid_t server = e2e::StartProgram(*prefix_, Installed("tesmar.exe"), board);
    ASSERT_TRUE(e2e::PollUntil([&] { return e2e::Listening(port); }, 60))
        << "the installed tesmar.exe does not listen on " << port;
    EXPECT_TRUE(e2e::PollUntil([&] { return e2e::Listening(web_port); }, 30))
        << "the installed tesmar.exe does not serve the web port " << web_port;
    pid_t client = prefix_->Start(Installed("wenlo.exe"), {}, dir_ + "/wenlo.txt", dir_);
    std::string said;
    ASSERT_EQ(0, Drive({"ready"}, &said)) << said;
    ASSERT_EQ(0, Drive({"signout", "Ann", "12:00", "Lunch", "13:00"}, &said)) << said;
    EXPECT_TRUE(e2e::PollUntil(
        [&] { return ReadBytes(data).find("Ann-0-Lunch-12:00-13:00-") != std::string::npos; }, 30))
        << ReadBytes(data);
    // The page is written after the data file.
    EXPECT_TRUE(
        e2e::PollUntil([&] { return ReadBytes(page).find("Lunch") != std::string::npos; }, 30))
        << ReadBytes(page);
    ASSERT_EQ(0, Drive({"exit"}, &said)) << said;
    e2e::WinePrefix::WaitExit(client, 30000);
    e2e::KillProcess(server);

    // The newer packages: the server's given none, the client's a new server.
    ASSERT_EQ(0, Msiexec({"/i", Package("tesmar", kVersion)}));
    ASSERT_EQ(0, Msiexec({"/i", Package("wenlo", kVersion), "SERVER=board2"}));
    EXPECT_EQ(1, Products("Tesmar"));
    EXPECT_EQ(1, Products("Wenlo"));
    EXPECT_NE(std::string::npos, Reg({"query", kUninstallKey, "/s"}).find(kVersion));
    EXPECT_EQ(e2e::WindowsPath(board) + "\\", Value(kTesmarKey, "WorkingDir"));
    EXPECT_EQ(std::to_string(port), Value(kTesmarKey, "Port"));
    EXPECT_EQ(e2e::WindowsPath(page), Value(kTesmarKey, "HTMLFile"));
    for (int i = 0; i < 3; ++i) // the web port's settings; the keys are the server's by now
        EXPECT_EQ(web[i].second, Value(kTesmarKey, web[i].first)) << web[i].first;
    EXPECT_EQ("\"C:\\Program Files\\KVT\\tesmar.exe\"", Value(kRunKey, "Tesmar"));
    EXPECT_EQ("board2", Value(kWenloKey, "Server"));
    EXPECT_EQ(std::to_string(port), Value(kWenloKey, "Port"));

    Reg({"add", kTesmarKey, "/v", "ResetTime", "/d", "20:00", "/f"});
    ASSERT_EQ(0, Msiexec({"/x", Package("tesmar", kVersion)}));
    ASSERT_EQ(0, Msiexec({"/x", Package("wenlo", kVersion)}));
    EXPECT_FALSE(e2e::FileExists(Installed("tesmar.exe")));
    EXPECT_FALSE(e2e::FileExists(Installed("wenlo.exe")));
    EXPECT_FALSE(Shortcut("Tesmar"));
    EXPECT_FALSE(Shortcut("Wenlo"));
    EXPECT_EQ("<none>", Value(kRunKey, "Tesmar"));
    EXPECT_EQ("<none>", Value(kRunKey, "Wenlo"));
    EXPECT_EQ(0, Products("Tesmar") + Products("Wenlo"));
    EXPECT_NE(std::string::npos, ReadBytes(data).find("Ann-0-Lunch-12:00-13:00-"));
    EXPECT_TRUE(e2e::FileExists(page));
    EXPECT_EQ("Ann", Value(kMemberKey, "UserName"));
    EXPECT_EQ("Bob", Value(kMemberKey, "Names"));
    // The removal takes the values the packages wrote, and keeps the ones
    // the server wrote itself (as Board Options writes ResetTime).
    EXPECT_EQ("<none>", Value(kTesmarKey, "Port"));
    EXPECT_EQ("<none>", Value(kTesmarKey, "WebPort"));
    EXPECT_EQ("<none>", Value(kWenloKey, "Server"));
    EXPECT_EQ("20:00", Value(kTesmarKey, "ResetTime"));
}

TEST_F(Packages, WithoutPropertiesTheServerGetsABoardFolderAndBothTheClassicPort) {
    ASSERT_EQ(0, Msiexec({"/i", Package("tesmar", kVersion)}));
    ASSERT_EQ(0, Msiexec({"/i", Package("wenlo", kVersion)}));
    const std::string folder = "C:\\ProgramData\\KVT\\Tesmar\\";
    EXPECT_EQ(folder, Value(kTesmarKey, "WorkingDir"));
    EXPECT_EQ("223", Value(kTesmarKey, "Port"));
    EXPECT_EQ(folder + "inout.htm", Value(kTesmarKey, "HTMLFile"));
    EXPECT_TRUE(std::filesystem::is_directory(prefix_->Path() + "/drive_c/ProgramData/KVT/Tesmar"));
    EXPECT_EQ("<none>", Value(kRunKey, "Tesmar"));
    EXPECT_EQ("223", Value(kWenloKey, "Port"));
    EXPECT_EQ("\"C:\\Program Files\\KVT\\wenlo.exe\"", Value(kRunKey, "Wenlo"));
}

// One version: the project's, in both programs' version resources
// (UTF-16 text) and manifests, and in the packages built for it.
TEST_F(Packages, ProgramsAndPackagesCarryTheProjectVersion) {
    std::u16string wide(kVersion.begin(), kVersion.end());
    std::string utf16(reinterpret_cast<const char *>(wide.data()), wide.size() * 2);
    for (const std::string &exe : {e2e::TesmarExe(), e2e::WenloExe()}) {
        std::string image = ReadBytes(exe);
        EXPECT_NE(std::string::npos, image.find(utf16)) << exe;
        EXPECT_NE(std::string::npos, image.find("version=\"" + kVersion + ".0\"")) << exe;
    }
    for (const char *program : {"tesmar", "wenlo"}) {
        std::string properties = dir_ + "/properties.txt";
        std::string command = "msiinfo export '" + dir_ + "/packages/" + program + "-" + kVersion +
                              ".msi' Property >'" + properties + "'";
        ASSERT_EQ(0, std::system(command.c_str())) << command;
        EXPECT_NE(std::string::npos,
                  ReadBytes(properties).find("ProductVersion\t" + kVersion + "\r\n"))
            << program;
    }
}

// SERVICE=1: the service record instead of the Run key, started at once
// and serving with nobody logged on; an upgrade given nothing keeps it a
// service and starts it again; the removal stops it and takes the record
// away, leaving the board.
TEST_F(Packages, AsAServiceItIsInstalledStartedUpgradedAndRemoved) {
    const std::string board = dir_ + "/board", data = board + "/tesmar.dat";
    const int port = e2e::FreePort();
    e2e::MakeDirectories(board);
    e2e::WriteFile(data, "Ann-1- -9:00am- -\r\nBob-1- -9:10am- -\r\n");
    const char kServiceKey[] = "HKLM\\System\\CurrentControlSet\\Services\\Tesmar";

    ASSERT_EQ(0,
              Msiexec({"/i", Package("tesmar", kLowerVersion), "SERVICE=1",
                       "WORKINGDIR=" + e2e::WindowsPath(board), "PORT=" + std::to_string(port)}));
    std::string record = Reg({"query", kServiceKey});
    EXPECT_NE(record.find("C:\\Program Files\\KVT\\tesmar.exe"), std::string::npos) << record;
    EXPECT_NE(record.find("/service"), std::string::npos) << record;
    EXPECT_NE(record.find("ObjectName    REG_SZ    NT AUTHORITY\\NetworkService"),
              std::string::npos)
        << record;
    EXPECT_NE(record.find("Start    REG_DWORD    0x2"), std::string::npos) << record;
    EXPECT_NE(record.find("DelayedAutostart    REG_DWORD    0x1"), std::string::npos) << record;
    EXPECT_NE(record.find("FailureActions    REG_BINARY    80510100"), std::string::npos) << record;
    EXPECT_EQ("<none>", Value(kRunKey, "Tesmar"));
    ASSERT_TRUE(e2e::PollUntil([&] { return e2e::Listening(port); }, 60))
        << "the service does not listen";
    EXPECT_EQ(e2e::Exchange(port, "#oAnn-12:00-Lunch-13:00\n\r").bytes, "0\n\r");

    ASSERT_EQ(0, Msiexec({"/i", Package("tesmar", kVersion)}));
    EXPECT_EQ(1, Products("Tesmar"));
    EXPECT_NE(Reg({"query", kServiceKey}).find("/service"), std::string::npos);
    ASSERT_TRUE(e2e::PollUntil([&] { return e2e::Listening(port); }, 60))
        << "not started again after the upgrade";
    EXPECT_EQ(e2e::Exchange(port, "#iBob-12:05\n\r").bytes, "0\n\r");

    ASSERT_EQ(0, Msiexec({"/x", Package("tesmar", kVersion)}));
    EXPECT_EQ(Reg({"query", kServiceKey}).find("ImagePath"), std::string::npos);
    EXPECT_TRUE(e2e::PollUntil([&] { return !e2e::Listening(port); }, 30));
    EXPECT_FALSE(e2e::FileExists(Installed("tesmar.exe")));
    EXPECT_NE(ReadBytes(data).find("Ann-0-Lunch-12:00-13:00-"), std::string::npos)
        << ReadBytes(data);
}

} // namespace
