// Closing the server while one of its dialogs is open: the dialogs end
// first, their pending edits dropped, and the window closes after them, so
// that nothing is written once the server has shut down. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

class MenuDialogs {
  public:
    // Runs a command of the main window's menu that opens dialogs, counted
    // as open until it returns. A close asked for meanwhile is carried out
    // after it: WM_CLOSE is posted to main again. Nothing opens once a close
    // was asked for.
    template <class Command> void Run(HWND main, Command command) {
        if (closing_) return;
        ++open_;
        command();
        --open_;
        if (open_ == 0 && closing_) PostMessageA(main, WM_CLOSE, 0, 0);
    }

    // For WM_CLOSE: when dialogs are open, tells every dialog of this thread
    // to end and returns true (the window closes once they have); false when
    // none is open and the window may close now.
    bool CloseAfterDialogs();

    // True from a close asked for while dialogs were open until the program
    // ends: an edit whose dialog was ended by it must not be carried out.
    bool Closing() const { return closing_; }

  private:
    int open_ = 0;
    bool closing_ = false;
};
