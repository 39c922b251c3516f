#include "common/protocol.h"

#include <cstdio>
#include <cstring>

const char kSignInFormat[] = "#i%1s-%1s\n\r";
const char kSignOutFormat[] = "#o%1s-%1s-%1s-%1s\n\r";

const char kReplyDone[] = "0\n\r";
const char kReplyInvalidName[] = "1\n\r";
const char kReplyNotRequest[] = "\n\r";
const char kReplyRejected[] = "Your request was not processed.\n\r";

const char kLineEnd[] = "\n\r";
const char kLineEndCrLf[] = "\r\n";

namespace {

// A field as it goes on the wire: at most capacity - 1 bytes of the array
// (which need not be terminated), CR and LF always turned into spaces so
// that no field ends the line early, a dash too when the field is not the
// name (the server splits fields at dashes).
template <size_t N> void WireField(const char (&field)[N], bool dash_to_space, char (&out)[N]) {
    size_t n = 0;
    while (n + 1 < N && field[n] != '\0') {
        char c = field[n];
        if (c == '\r' || c == '\n' || (dash_to_space && c == '-')) c = ' ';
        out[n++] = c;
    }
    out[n] = '\0';
}

} // namespace

size_t BuildRequestLine(const RequestFields &fields, char *out, size_t capacity) {
    if (capacity == 0) return 0;
    char name[sizeof fields.name];
    char in_time[sizeof fields.in_time];
    char out_time[sizeof fields.out_time];
    char destination[sizeof fields.destination];
    char return_time[sizeof fields.return_time];
    WireField(fields.name, false, name);
    int written;
    if (fields.signed_in) {
        WireField(fields.in_time, true, in_time);
        written = snprintf(out, capacity, kSignInFormat, name, in_time);
    } else {
        WireField(fields.out_time, true, out_time);
        WireField(fields.destination, true, destination);
        WireField(fields.return_time, true, return_time);
        written = snprintf(out, capacity, kSignOutFormat, name, out_time, destination, return_time);
    }
    if (written < 0) {
        out[0] = '\0';
        return 0;
    }
    size_t length = static_cast<size_t>(written);
    return length < capacity ? length : capacity - 1;
}

unsigned short ParsePort(const char *text) {
    if (!text) return 0;
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    return static_cast<unsigned short>(ParseDecimalLowBits(p, std::strlen(p), 0xFFFFu));
}

unsigned ParseDecimalLowBits(const char *text, size_t length, unsigned mask) {
    size_t i = 0;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Only the low bits are kept, so the digits are summed modulo mask + 1:
    // the result is that of the whole number, however long.
    unsigned value = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i)
        value = (value * 10u + static_cast<unsigned>(text[i] - '0')) & mask;
    if (negative) value = (mask + 1u - value) & mask;
    return value;
}

bool HoldsFieldSeparator(const char *name) { return std::strchr(name, '-') != nullptr; }
