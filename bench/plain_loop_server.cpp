// The throughput benchmark's yardstick: the plainest server that does a
// sign-in's work, sharing no code with the server. A blocking loop with no
// window: accept, read one line, apply it to the board in memory, save the
// data file (temporary, flush, rename; natively the folder flushed too, as
// the native server saves), write the page (temporary, rename), reply,
// close. Its own line reading, its own apply, its own files. Built for
// Windows (Winsock, run under Wine) and natively (POSIX), the yardstick of
// each server.
//
//   plain_loop_server PORT WORKING_DIR PAGE_FILE
//
// It reads the data file once at start and runs until it is killed.
#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Member {
    std::string name, in_out, destination, time, back;
};

std::vector<Member> g_board;
std::string g_data_path, g_page_path;

// "name-in-destination-time-back-" lines.
void ReadBoard() {
    FILE *file = std::fopen(g_data_path.c_str(), "rb");
    if (!file) return;
    char line[512];
    while (std::fgets(line, sizeof line, file)) {
        std::vector<std::string> fields;
        std::string field;
        for (const char *p = line; *p && *p != '\r' && *p != '\n'; ++p) {
            if (*p == '-') {
                fields.push_back(field);
                field.clear();
            } else {
                field += *p;
            }
        }
        if (fields.size() < 5) continue;
        g_board.push_back({fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
    std::fclose(file);
}

#ifdef _WIN32
const char kSeparator[] = "\\";
int CompareStart(const char *a, const char *b, size_t n) { return _strnicmp(a, b, n); }

bool Replace(const std::string &path, const std::string &bytes, bool flush) {
    std::string temporary = path + ".plain.tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (flush) FlushFileBuffers(file);
    CloseHandle(file);
    return MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
#else
using SOCKET = int;
constexpr SOCKET INVALID_SOCKET = -1;
const char kSeparator[] = "/";
int CompareStart(const char *a, const char *b, size_t n) { return strncasecmp(a, b, n); }
void closesocket(int fd) { close(fd); }

bool Replace(const std::string &path, const std::string &bytes, bool flush) {
    std::string temporary = path + ".plain.tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (flush) fsync(fd);
    close(fd);
    if (!ok || rename(temporary.c_str(), path.c_str()) != 0) return false;
    if (flush) {
        std::string folder = path.substr(0, path.find_last_of('/') + 1);
        int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    return true;
}
#endif

bool SaveBoard() {
    std::string bytes;
    for (const Member &m : g_board)
        bytes +=
            m.name + "-" + m.in_out + "-" + m.destination + "-" + m.time + "-" + m.back + "-\r\n";
    return Replace(g_data_path, bytes, true);
}

void WritePage() {
    std::string page = "<HTML><HEAD><TITLE>IN-OUT LOG</TITLE></HEAD><BODY>\r\n<TABLE BORDER>\r\n";
    for (const Member &m : g_board) {
        bool in = m.in_out == "1";
        page += "<TR>\r\n<TH ALIGN=LEFT>" + m.name + "</TH>\r\n";
        page += in ? "<TH>" + m.time + "</TH>\r\n<TH> </TH>\r\n"
                   : "<TH> </TH>\r\n<TH>" + m.time + "</TH>\r\n";
        page += "<TH>" + (in ? std::string(" ") : m.destination) + "</TH>\r\n";
        page += "<TH>" + (in ? std::string(" ") : m.back) + "</TH>\r\n</TR>\r\n";
    }
    page += "</TABLE></BODY></HTML>\r\n";
    Replace(g_page_path, page, false);
}

// "#iName-time" or "#oName-time-destination-back": true when a member
// matched (by the start of the name, letters folded).
bool Apply(const std::string &line) {
    if (line.size() < 3 || line[0] != '#' || (line[1] != 'i' && line[1] != 'o')) return false;
    std::vector<std::string> fields;
    std::string field;
    for (size_t i = 2; i < line.size(); ++i) {
        if (line[i] == '-') {
            if (!field.empty()) fields.push_back(field);
            field.clear();
        } else {
            field += line[i];
        }
    }
    if (!field.empty()) fields.push_back(field);
    if (fields.empty()) return false;
    for (Member &m : g_board) {
        if (CompareStart(m.name.c_str(), fields[0].c_str(), fields[0].size()) != 0) continue;
        bool out = line[1] == 'o';
        m.in_out = out ? "0" : "1";
        m.time = fields.size() > 1 ? fields[1] : " ";
        m.destination = out && fields.size() > 2 ? fields[2] : " ";
        m.back = out && fields.size() > 3 ? fields[3] : " ";
        return true;
    }
    return false;
}

void Serve(SOCKET client) {
#ifdef _WIN32
    DWORD timeout = 5000;
#else
    timeval timeout = {5, 0};
#endif
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&timeout),
               sizeof timeout);
    std::string line;
    char chunk[1024];
    for (;;) {
        int got = static_cast<int>(recv(client, chunk, sizeof chunk, 0));
        if (got <= 0) return;
        line.append(chunk, static_cast<size_t>(got));
        size_t end = line.find("\r\n");
        if (end == std::string::npos) end = line.find("\n\r");
        if (end != std::string::npos) {
            line.resize(end);
            break;
        }
        if (line.size() > 255) return;
    }
    const char *reply = "1\n\r";
    if (Apply(line) && SaveBoard()) {
        WritePage();
        reply = "0\n\r";
    }
    send(client, reply, 3, 0);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: plain_loop_server PORT WORKING_DIR PAGE_FILE\n");
        return 2;
    }
    g_data_path = std::string(argv[2]) + kSeparator + "tesmar.dat";
    g_page_path = argv[3];
    ReadBoard();
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
#endif
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
#ifndef _WIN32
    signal(SIGPIPE, SIG_IGN); // a client gone before its reply
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#endif
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<unsigned short>(std::atoi(argv[1])));
    if (bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0) {
        std::fprintf(stderr, "plain_loop_server: bind/listen failed\n");
        return 1;
    }
    std::fprintf(stderr, "plain_loop_server: %u members, port %s\n",
                 static_cast<unsigned>(g_board.size()), argv[1]);
    for (;;) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        Serve(client);
        shutdown(client, 2); // both directions
        closesocket(client);
    }
}
