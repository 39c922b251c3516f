// Plays a script against modal dialogs of this thread: each step waits until
// a dialog with its caption is shown and not blocked by another, then acts
// on it (sets controls, posts a button press). A thread timer drives the
// steps from inside the dialogs' own message loops.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class DialogScript {
  public:
    using Action = std::function<void(HWND)>;

    // Adds a step for the dialog captioned caption.
    DialogScript &Then(const char *caption, Action act);

    // Runs body (which opens the dialogs modally) while the steps play.
    // Returns the number of steps played; when the script stalls for 20 s,
    // every open dialog is told OK so that body returns.
    size_t Run(const std::function<void()> &body);

    size_t size() const { return steps_.size(); }

  private:
    struct Step {
        std::string caption;
        Action act;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Advance();

    std::vector<Step> steps_;
    size_t next_ = 0;
    DWORD started_ = 0;
};

// The shown dialog of this thread with that caption, or null.
HWND FindThreadDialog(const char *caption);

// Posts a button press (or any command) to a dialog.
void Press(HWND dialog, int id);
void SetText(HWND dialog, int id, const char *text);
std::string GetText(HWND dialog, int id);

// A list box's entries, in list order.
std::vector<std::string> ListEntries(HWND dialog, int list_id);
// Selects the entry with exactly that text; false when there is none.
bool SelectEntry(HWND dialog, int list_id, const char *text);
