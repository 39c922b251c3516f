// The service's event log as written: each event's kind (its number) and
// text, a line each. Windows only.
#pragma once
#include <string>

#include "server/shell/event_log.h"

class RecordingEventSink : public EventSink {
  public:
    void Write(EventKind kind, const char *text) override {
        written += std::to_string(static_cast<int>(kind)) + " " + text + "\n";
    }
    std::string written;
};
