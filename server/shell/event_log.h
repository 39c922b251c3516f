// The service's voice: with no one logged on to read a window or a message
// box, everything the server would show goes to the Application event log
// under the source Tesmar, one event id a kind. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <string>

#include "common/alerts.h"
#include "server/engine/status_line.h"

// The event source's name, also the service's.
constexpr char kEventSource[] = "Tesmar";

// The event ids (tesmar_events.mc gives each its message).
enum class EventKind : DWORD {
    Started = 1,   // the service serves the board
    Stopped = 2,   // the service has stopped
    Failure = 3,   // the status line's text: a socket or file failure
    Setting = 4,   // a setting written or changed without a dialog
    Alert = 5,     // what the desktop server would show in a message box
    WrongKeys = 6, // an address locked out for wrong keys
};

// Where events go: the system's event log, or a test's recorder.
class EventSink {
  public:
    virtual ~EventSink() = default;
    virtual void Write(EventKind kind, const char *text) = 0;
};

class SystemEventLog : public EventSink {
  public:
    SystemEventLog();
    ~SystemEventLog() override;
    SystemEventLog(const SystemEventLog &) = delete;
    SystemEventLog &operator=(const SystemEventLog &) = delete;
    void Write(EventKind kind, const char *text) override;

  private:
    HANDLE source_;
};

// Every message box of the server as an alert event; a question is
// answered No (nothing is done that would have needed a yes).
class EventLogAlerts : public Alerts {
  public:
    explicit EventLogAlerts(EventSink &sink) : sink_(sink) {}
    AlertAnswer Ask(const char *text, const char *caption, AlertIcon icon,
                    AlertButtons buttons) override;

  private:
    EventSink &sink_;
};

// The status line, kept as it is for the administration page, and each
// new failure it shows written once as a failure event (a text repeated
// by a retry is not written again until another came between); an address
// locked out for wrong keys, which the line tells once, as a WrongKeys one.
class EventLogStatusView : public StatusLine::View {
  public:
    EventLogStatusView(EventSink &sink, const StatusLine &status) : sink_(sink), status_(status) {}
    void StatusChanged() override;

  private:
    EventSink &sink_;
    const StatusLine &status_;
    std::string last_;
};
