// wenlo.exe against a running tesmar.exe, both under Wine in a private
// prefix: a member signs out and in again from the client's dialog, and an
// unknown name brings the "Invalid Name" box. The client is driven from
// outside by wenlo_e2e_driver.exe; the board is checked in tesmar.dat and
// on the page.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace {

const std::string kSourceDir = SOURCE_DIR;
const std::string kWindowsDir = WINDOWS_BUILD_DIR;

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool PollUntil(const std::function<bool()> &done, int seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

// Runs a shell command and gives its exit status and output. The output
// goes through a file, not a pipe: the first Wine program of a prefix
// starts services that inherit its handles and outlive it.
int Shell(const std::string &command, std::string *output = nullptr) {
    char pattern[] = "/tmp/wenlo-e2e-out.XXXXXX";
    int file = mkstemp(pattern);
    if (file < 0) return -1;
    close(file);
    int status = std::system((command + " </dev/null >'" + pattern + "' 2>&1").c_str());
    if (output) *output = ReadFile(pattern);
    unlink(pattern);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

unsigned short FreePort() {
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

bool Accepts(unsigned short port) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

std::string WindowsPath(const std::string &path) {
    std::string result = "Z:" + path;
    for (char &c : result)
        if (c == '/') c = '\\';
    return result;
}

// A private prefix with its own wineserver, and the programs started in it.
class WinePlace {
  public:
    WinePlace() {
        char pattern[] = "/tmp/wenlo-e2e.XXXXXX";
        dir_ = mkdtemp(pattern);
        prefix_ = dir_ + "/prefix";
        env_ = "WINEPREFIX='" + prefix_ + "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' ";
        cloned_ = Shell(kSourceDir + "/scripts/wine-prefix clone '" + prefix_ + "'") == 0;
        if (cloned_) Shell(env_ + "wineserver -p");
    }
    ~WinePlace() {
        Shell(env_ + "wineserver -k; " + env_ + "timeout 30 wineserver -w");
        for (pid_t pid : started_) waitpid(pid, nullptr, 0);
        Shell("rm -rf '" + dir_ + "'");
    }
    bool cloned() const { return cloned_; }
    const std::string &dir() const { return dir_; }

    int Wine(const std::string &arguments, std::string *output = nullptr) {
        return Shell(env_ + "timeout 120 wine " + arguments, output);
    }
    void SetValue(const char *key, const char *name, const std::string &value) {
        Wine(std::string("reg add 'HKLM\\SOFTWARE\\KVT\\") + key + "' /v " + name +
             " /t REG_SZ /d '" + value + "' /f");
    }
    // Starts a program in the background, in directory cwd.
    pid_t Start(const std::string &exe, const std::string &cwd) {
        pid_t pid = fork();
        if (pid == 0) {
            int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            if (chdir(cwd.c_str()) != 0) _exit(127);
            setenv("WINEPREFIX", prefix_.c_str(), 1);
            setenv("WINEDEBUG", "-all", 1);
            setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
            execlp("wine", "wine", exe.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        started_.insert(pid);
        return pid;
    }
    bool Ended(pid_t pid) {
        if (!started_.count(pid)) return true;
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            started_.erase(pid);
            return true;
        }
        return false;
    }

  private:
    std::string dir_, prefix_, env_;
    bool cloned_ = false;
    std::set<pid_t> started_;
};

TEST(ClientEndToEnd, AMemberSignsOutAndInFromTheClientAgainstTheServer) {
    const std::string tesmar = kWindowsDir + "/server/shell/tesmar.exe";
    const std::string wenlo = kWindowsDir + "/client/wenlo.exe";
    const std::string driver = kWindowsDir + "/tests/client_win/wenlo_e2e_driver.exe";
    for (const std::string &exe : {tesmar, wenlo, driver})
        ASSERT_EQ(0, access(exe.c_str(), R_OK)) << exe << " is not built";

    WinePlace place;
    ASSERT_TRUE(place.cloned());
    const std::string board = place.dir() + "/board";
    ASSERT_EQ(0, Shell("mkdir -p '" + board + "'"));
    {
        std::ofstream data(board + "/tesmar.dat", std::ios::binary);
        data << "Ann-1- -9:00am- -\r\nBob-1- -9:10am- -\r\n";
    }
    const std::string port = std::to_string(FreePort());
    place.SetValue("Tesmar", "WorkingDir", WindowsPath(board));
    place.SetValue("Tesmar", "Port", port);
    place.SetValue("Tesmar", "HTMLFile", WindowsPath(board + "/board.html"));
    place.SetValue("Wenlo", "UserName", "Ann");
    place.SetValue("Wenlo", "Server", "127.0.0.1");
    place.SetValue("Wenlo", "Port", port);

    pid_t server = place.Start(tesmar, board);
    ASSERT_TRUE(PollUntil([&] { return Accepts(static_cast<unsigned short>(std::stoi(port))); }, 60))
        << "tesmar.exe does not listen on " << port;
    pid_t client = place.Start(wenlo, place.dir());

    std::string said;
    ASSERT_EQ(0, place.Wine("'" + driver + "' ready", &said)) << said;
    ASSERT_EQ(0, place.Wine("'" + driver + "' signout Ann 12:00 Lunch 13:00", &said)) << said;
    EXPECT_TRUE(PollUntil(
        [&] { return ReadFile(board + "/tesmar.dat").find("Ann-0-Lunch-12:00-13:00-\r\n") !=
                     std::string::npos; },
        30))
        << ReadFile(board + "/tesmar.dat");
    std::string page = ReadFile(board + "/board.html");
    EXPECT_NE(std::string::npos, page.find("Lunch")) << page;
    EXPECT_NE(std::string::npos, page.find("13:00")) << page;

    ASSERT_EQ(0, place.Wine("'" + driver + "' signin Ann 1:05pm", &said)) << said;
    EXPECT_TRUE(PollUntil(
        [&] { return ReadFile(board + "/tesmar.dat").find("Ann-1- -1:05pm- -\r\n") !=
                     std::string::npos; },
        30))
        << ReadFile(board + "/tesmar.dat");

    std::string before = ReadFile(board + "/tesmar.dat");
    ASSERT_EQ(0, place.Wine("'" + driver + "' invalid Zed", &said)) << said;
    EXPECT_NE(std::string::npos, said.find("That User Name is not valid.")) << said;
    EXPECT_EQ(before, ReadFile(board + "/tesmar.dat"));
    EXPECT_NE(std::string::npos, ReadFile(board + "/tesmar.dat").find("Bob-1- -9:10am- -"));

    ASSERT_EQ(0, place.Wine("'" + driver + "' exit", &said)) << said;
    EXPECT_NE(std::string::npos, said.find("Terminate Sign-in / Sign-out program?")) << said;
    EXPECT_TRUE(PollUntil([&] { return place.Ended(client); }, 30)) << "wenlo.exe did not end";
    EXPECT_FALSE(place.Ended(server));
}

TEST(ClientEndToEnd, WenloImportsOnlySystemLibraries) {
    const std::string wenlo = kWindowsDir + "/client/wenlo.exe";
    ASSERT_EQ(0, access(wenlo.c_str(), R_OK)) << wenlo << " is not built";
    std::string output;
    ASSERT_EQ(0, Shell("x86_64-w64-mingw32-objdump -p '" + wenlo + "'", &output));
    const std::set<std::string> system = {"ADVAPI32.dll", "GDI32.dll",  "KERNEL32.dll",
                                          "msvcrt.dll",   "SHELL32.dll", "USER32.dll",
                                          "WS2_32.dll"};
    std::istringstream lines(output);
    std::string line;
    int imports = 0;
    while (std::getline(lines, line)) {
        auto at = line.find("DLL Name: ");
        if (at == std::string::npos) continue;
        std::string dll = line.substr(at + 10);
        while (!dll.empty() && (dll.back() == '\r' || dll.back() == ' ')) dll.pop_back();
        ++imports;
        EXPECT_TRUE(system.count(dll)) << "imports " << dll;
    }
    EXPECT_GE(imports, 4);
}

} // namespace
