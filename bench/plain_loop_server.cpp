// The throughput benchmark's yardstick: the plainest server that does a
// sign-in's work, sharing no code with tesmar.exe. A blocking Winsock loop
// with no window: accept, read one line, apply it to the board in memory,
// save the data file (temporary, flush, rename), write the page (temporary,
// rename), reply, close. Its own line reading, its own apply, its own files.
//
//   plain_loop_server.exe PORT WORKING_DIR PAGE_FILE
//
// It reads the data file once at start and runs until it is killed.
#include <winsock2.h>
#include <windows.h>

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

bool SaveBoard() {
    std::string bytes;
    for (const Member &m : g_board)
        bytes += m.name + "-" + m.in_out + "-" + m.destination + "-" + m.time + "-" + m.back + "-\r\n";
    return Replace(g_data_path, bytes, true);
}

void WritePage() {
    std::string page = "<HTML><HEAD><TITLE>IN-OUT LOG</TITLE></HEAD><BODY>\r\n<TABLE BORDER>\r\n";
    for (const Member &m : g_board) {
        bool in = m.in_out == "1";
        page += "<TR>\r\n<TH ALIGN=LEFT>" + m.name + "</TH>\r\n";
        page += in ? "<TH>" + m.time + "</TH>\r\n<TH> </TH>\r\n" : "<TH> </TH>\r\n<TH>" + m.time + "</TH>\r\n";
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
        if (_strnicmp(m.name.c_str(), fields[0].c_str(), fields[0].size()) != 0) continue;
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
    DWORD timeout_ms = 5000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&timeout_ms),
               sizeof timeout_ms);
    std::string line;
    char chunk[1024];
    for (;;) {
        int got = recv(client, chunk, sizeof chunk, 0);
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
    g_data_path = std::string(argv[2]) + "\\tesmar.dat";
    g_page_path = argv[3];
    ReadBoard();
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(std::atoi(argv[1])));
    if (bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0) {
        std::fprintf(stderr, "plain_loop_server: bind/listen failed: %d\n", WSAGetLastError());
        return 1;
    }
    std::fprintf(stderr, "plain_loop_server: %u members, port %s\n",
                 static_cast<unsigned>(g_board.size()), argv[1]);
    for (;;) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        Serve(client);
        shutdown(client, SD_BOTH);
        closesocket(client);
    }
}
