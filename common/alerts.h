// The message boxes and questions of both programs go through this
// interface: the Win32 shells show them with MessageBoxA, tests answer them
// with a scripted recorder.
#pragma once

enum class AlertIcon { None, Warning, Question, Stop };
enum class AlertButtons { Ok, YesNo };
enum class AlertAnswer { Ok, Yes, No };

class Alerts {
  public:
    virtual ~Alerts() = default;
    // caption may be null: the system's default caption shows.
    virtual AlertAnswer Ask(const char *text, const char *caption, AlertIcon icon,
                            AlertButtons buttons) = 0;

    // While set, the boxes come to the front of every other window: for a
    // box asked while the program shows no window of its own.
    void SetToFront(bool to_front) { to_front_ = to_front; }
    bool ToFront() const { return to_front_; }

  private:
    bool to_front_ = false;
};
