#include "server/web/event_stream.h"

void AppendBoardEvent(std::string &out, unsigned long number, const std::string &feed) {
    out += "event: board\nid: ";
    out += std::to_string(number);
    out += "\ndata: ";
    for (char c : feed) {
        if (c != '\n' && c != '\r') out += c;
    }
    out += "\n\n";
}

void AppendRollCallEvent(std::string &out, const std::string &json) {
    out += "event: rollcall\ndata: ";
    for (char c : json) {
        if (c != '\n' && c != '\r') out += c;
    }
    out += "\n\n";
}

void AppendEventStreamStart(std::string &out, unsigned long number, const std::string &feed) {
    out += "HTTP/1.1 200 OK\r\n"
           "Content-Type: text/event-stream; charset=utf-8\r\n"
           "Cache-Control: no-cache\r\n"
           "X-Content-Type-Options: nosniff\r\n"
           "X-Accel-Buffering: no\r\n"
           "\r\n"
           "retry: 2000\n\n";
    AppendBoardEvent(out, number, feed);
}
