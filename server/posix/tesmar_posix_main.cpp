// The native server's entry point: the command line, the settings file
// and its check, the program object, then serving until a stop signal.
//   tesmar [--config FILE]   serve (FILE default /etc/tesmar/tesmar.conf)
//   tesmar --version
//   tesmar --hash-key        the hash of the key read from standard input,
//                            to store in the settings file instead of it
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "version/board_version.h"
#include "common/clock.h"
#include "common/code_page_posix.h"
#include "common/file_writer.h"
#include "common/key_crypto_posix.h"
#include "common/key_hash.h"
#include "server/posix/config_check.h"
#include "server/posix/config_file.h"
#include "server/posix/posix_server.h"
#include "server/posix/stderr_report.h"
#include "server/posix/stop_signals.h"

namespace {

const char kDefaultConfig[] = "/etc/tesmar/tesmar.conf";

int Usage() {
    std::fprintf(stderr, "usage: tesmar [--config FILE] | --version | --hash-key\n");
    return kExitBadConfig;
}

// One line of standard input (its line end dropped) made a stored hash.
int HashKey() {
    std::string key;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar())
        key += static_cast<char>(c);
    if (!key.empty() && key.back() == '\r') key.pop_back();
    if (key.empty()) {
        std::fprintf(stderr, "tesmar: no key on standard input\n");
        return kExitBadConfig;
    }
    SystemKeyCrypto crypto;
    std::string hash = MakeKeyHash(crypto, key);
    if (hash.empty()) {
        std::fprintf(stderr, "tesmar: the key could not be hashed\n");
        return kExitCannotServe;
    }
    std::printf("%s\n", hash.c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    std::string path = kDefaultConfig;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 && argc == 2) {
            std::printf("tesmar %s\n", BOARD_VERSION_TEXT);
            return 0;
        }
        if (std::strcmp(argv[i], "--hash-key") == 0 && argc == 2) return HashKey();
        if (std::strcmp(argv[i], "--config") == 0 && i + 1 < argc)
            path = argv[++i];
        else
            return Usage();
    }
    // The program's one file writer: the settings file's, and the board's.
    PlatformFileWriter file_writer;
    ConfigFile config(file_writer);
    if (!config.Load(path)) {
        ReportLine(("Cannot read the settings file " + path).c_str());
        return kExitBadConfig;
    }
    std::vector<std::string> faults = CheckConfig(config, path);
    for (const std::string &fault : faults) ReportLine(fault.c_str());
    if (!faults.empty()) return kExitBadConfig;
    UseCodePage(ConfiguredCodePage(config));

    StopSignals signals;
    StderrAlerts alerts;
    PosixServer server(config, SystemClock(), alerts, file_writer);
    int started = server.Start();
    if (started != kExitServed) return started;
    ReportLine(("Serving the board in " + std::string(server.settings.WorkingDir) + " on port " +
                server.settings.Port)
                   .c_str());
    return server.Run(signals);
}
