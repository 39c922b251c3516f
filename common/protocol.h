// The wire format between Wenlo and Tesmar: one request line from the
// client, at most one reply line from the server, then the server closes.
#pragma once
#include <cstddef>

// Request formats (fields at least one character wide).
extern const char kSignInFormat[];  // "#i%1s-%1s\n\r"
extern const char kSignOutFormat[]; // "#o%1s-%1s-%1s-%1s\n\r"

// Replies.
extern const char kReplyDone[];        // "0\n\r"
extern const char kReplyInvalidName[]; // "1\n\r"
extern const char kReplyNotRequest[];  // "\n\r"
extern const char kReplyRejected[];    // "Your request was not processed.\n\r"

// Line ends: the one both programs write, and the one the server also takes.
extern const char kLineEnd[];     // "\n\r"
extern const char kLineEndCrLf[]; // "\r\n"

// Most bytes that may arrive on a connection before the line is complete.
constexpr int kMaxRequestBytes = 255;

// The fields of one request, as the client's sign-in dialog gives them.
struct RequestFields {
    bool signed_in; // true: a sign-in request, false: a sign-out request
    char name[20];
    char in_time[10];
    char out_time[10];
    char destination[30];
    char return_time[30];
};

// Room for the longest request line and its NUL.
constexpr size_t kRequestLineCapacity = 94;

// Builds the request line for the fields into out (NUL-terminated, never
// more than capacity bytes). An empty field goes out as one space; a "-" in
// a time, destination or return time goes out as a space, since the server
// splits fields at dashes; a CR or LF in any field goes out as a space, so
// that no field ends the line early. Each field is read up to its NUL or
// its array's last byte. Returns the line's length without its NUL (cut
// to capacity - 1 when the buffer is too small).
size_t BuildRequestLine(const RequestFields &fields, char *out, size_t capacity);

// A port text as both programs read it: leading white space, an optional
// sign, decimal digits up to the first other character (none: 0), the low
// 16 bits kept. Never overflows, however long the digits run.
unsigned short ParsePort(const char *text);

// The decimal number at text's beginning, at most length characters: an
// optional sign, then digits up to the first other character (none: 0),
// kept to the bits of mask (a power of two less one) whatever its size, a
// negative number as its two's complement there. Never overflows.
unsigned ParseDecimalLowBits(const char *text, size_t length, unsigned mask);

// "-" separates the fields of a request (and of the data file's lines): a
// name holding one would be read as another name. True for such a name.
bool HoldsFieldSeparator(const char *name);
