// The bytes of the web port's event stream ("/events"): the reply head and
// the board at once, then one "board" event at every publication, a
// "rollcall" event at each change of a roll call, and a comment line that
// keeps a quiet stream open. The engine's watcher pool queues and sends
// them.
#pragma once
#include <string>

// The comment line that keeps a quiet stream open.
constexpr const char *kKeepAliveComment = ": keep-alive\n\n";

// Appends the stream's head ("200", "text/event-stream", no caching, a
// retry of 2 s) and the board's first event.
void AppendEventStreamStart(std::string &out, unsigned long number, const std::string &feed);

// Appends one "board" event: "event: board\nid: <number>\ndata: <feed on
// one line>\n\n". The feed's line ends fall between its values (those in
// its strings are escaped), so they are dropped.
void AppendBoardEvent(std::string &out, unsigned long number, const std::string &feed);

// Appends one "rollcall" event: "event: rollcall\ndata: <the roll call's
// JSON on one line>\n\n".
void AppendRollCallEvent(std::string &out, const std::string &json);
