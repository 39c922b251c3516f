#include "server/shell/event_log.h"

#include "server/web/key_lockout.h"

namespace {

WORD EventType(EventKind kind) {
    switch (kind) {
    case EventKind::Failure:
        return EVENTLOG_ERROR_TYPE;
    case EventKind::Alert:
    case EventKind::WrongKeys:
        return EVENTLOG_WARNING_TYPE;
    default:
        return EVENTLOG_INFORMATION_TYPE;
    }
}

} // namespace

SystemEventLog::SystemEventLog() : source_(RegisterEventSourceA(nullptr, kEventSource)) {}

SystemEventLog::~SystemEventLog() {
    if (source_) DeregisterEventSource(source_);
}

void SystemEventLog::Write(EventKind kind, const char *text) {
    if (!source_) return;
    const char *strings[] = {text};
    ReportEventA(source_, EventType(kind), 0, static_cast<DWORD>(kind), nullptr, 1, 0, strings,
                 nullptr);
}

AlertAnswer EventLogAlerts::Ask(const char *text, const char *caption, AlertIcon,
                                AlertButtons buttons) {
    std::string line = caption ? std::string(caption) + ": " + text : std::string(text);
    sink_.Write(EventKind::Alert, line.c_str());
    return buttons == AlertButtons::YesNo ? AlertAnswer::No : AlertAnswer::Ok;
}

void EventLogStatusView::StatusChanged() {
    const char *text = status_.Text();
    if (text[0] == '\0' || last_ == text) return;
    last_ = text;
    // The lockout says so once an address; it is a warning of its own kind.
    sink_.Write(IsLockoutNotice(text) ? EventKind::WrongKeys : EventKind::Failure, text);
}
