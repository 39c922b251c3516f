// Headless Chromium (Debian's chromium) run once per call, each time with
// a fresh profile, no sandbox (the tests run as root) and nothing that
// reaches the network, ended when it overruns its time.
#pragma once
#include <string>
#include <vector>

namespace browser {

// The chromium program on PATH ("chromium", else "chromium-browser"), or
// "" when neither is installed.
std::string FindChromium();

struct ChromiumRun {
    bool started = false;  // the program could be started at all
    bool finished = false; // it ended by itself within the time
    int status = -1;       // its exit status when it finished
    std::string out;       // what it wrote to standard output
    std::string err;       // to standard error (its own log lines)
};

// Runs chromium headless with the fixed options and then args, at most
// timeout_ms (then its whole process group is killed).
ChromiumRun RunChromium(const std::string &chromium, const std::vector<std::string> &args,
                        int timeout_ms);

// The document as Chromium holds it after loading the file (--dump-dom).
ChromiumRun DumpDom(const std::string &chromium, const std::string &file, int timeout_ms);
// The same for a URL (http://...).
ChromiumRun DumpUrl(const std::string &chromium, const std::string &url, int timeout_ms);

// A screenshot of the file at the window size, written to png.
ChromiumRun Screenshot(const std::string &chromium, const std::string &file, const std::string &png,
                       int width, int height, int timeout_ms);

// Width and height from a PNG's header; false when the file is no PNG.
bool PngSize(const std::string &png, int &width, int &height);

} // namespace browser
