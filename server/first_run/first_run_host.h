// What the first-run questions need of the program around them: the main
// window, the current directory and the directory chooser. The server's
// window implements it; tests script it.
#pragma once
#include <cstddef>

class FirstRunHost {
  public:
    virtual ~FirstRunHost() = default;
    // The directory the question offers (the process's current directory),
    // or "".
    virtual void CurrentDirectory(char *dir, size_t capacity) = 0;
    // Asks for the data file's directory. Returns true with the directory
    // in dir (capacity bytes), false when nothing was chosen.
    virtual bool ChooseDirectory(char *dir, size_t capacity) = 0;
    // False once the main window, when there is one, has been closed.
    virtual bool StillRunning() = 0;
    // Disables the main window, when there is one, while questions are
    // asked (held), and enables it again after them.
    virtual void HoldWindow(bool held) = 0;
    // Puts text on the status line.
    virtual void ShowStatus(const char *text) = 0;
};
