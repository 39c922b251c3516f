// The main window and the directory chooser of the first-run questions as
// a script: the directory offered, the chooser's next answer ("" =
// cancelled) and calls, whether the window is open; what was held last and
// the status shown are kept. Made around a program's own host (the
// server's window), only the chooser is scripted and the rest goes to that
// host, still kept here.
#pragma once
#include <string>

#include "common/fixed_text.h"
#include "server/first_run/first_run_host.h"

class ScriptedFirstRunHost : public FirstRunHost {
  public:
    ScriptedFirstRunHost() = default;
    explicit ScriptedFirstRunHost(FirstRunHost &around) : around_(&around) {}

    void CurrentDirectory(char *dir, size_t capacity) override {
        if (around_)
            around_->CurrentDirectory(dir, capacity);
        else
            CopyCut(dir, capacity, current.c_str());
    }
    bool ChooseDirectory(char *dir, size_t capacity) override {
        ++chooser_calls;
        CopyCut(dir, capacity, chooser_answer.c_str());
        return !chooser_answer.empty();
    }
    bool StillRunning() override { return around_ ? around_->StillRunning() : running; }
    void HoldWindow(bool held) override {
        this->held = held;
        if (around_) around_->HoldWindow(held);
    }
    void ShowStatus(const char *text) override {
        status = text;
        if (around_) around_->ShowStatus(text);
    }

    std::string current, chooser_answer, status;
    int chooser_calls = 0;
    bool running = true, held = false;

  private:
    FirstRunHost *around_ = nullptr;
};
