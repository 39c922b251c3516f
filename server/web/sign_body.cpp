#include "server/web/sign_body.h"

#include "common/ansi_text.h"
#include "common/fixed_text.h"
#include "common/json_reader.h"
#include "common/protocol.h"
#include "server/publish/request_framer.h"

#include <cstring>

bool ReadSignBody(const char *body, size_t size, SignBody &out) {
    if (size > kMaxSignBodyBytes) return false;
    JsonReader json(body, body + size);
    out = SignBody();
    bool has_name = false;
    bool has_in = false;
    if (!json.Take('{')) return false;
    if (!json.Take('}')) {
        do {
            std::string key;
            if (!json.String(key) || !json.Take(':')) return false;
            std::string *text = key == "name"          ? &out.name
                                : key == "time"        ? &out.time
                                : key == "destination" ? &out.destination
                                : key == "return"      ? &out.return_time
                                                       : nullptr;
            if (text) {
                if (json.Peek() != '"' || !json.String(*text)) return false;
                if (text == &out.name) has_name = true;
            } else if (key == "in") {
                json.Space();
                if (json.Word("true"))
                    out.in = true;
                else if (json.Word("false"))
                    out.in = false;
                else
                    return false;
                has_in = true;
            } else if (!json.Skip()) {
                return false;
            }
        } while (json.Take(','));
        if (!json.Take('}')) return false;
    }
    return json.AtEnd() && has_name && has_in;
}

bool SignRequestLine(const SignBody &body, unsigned code_page, const char *clock_text,
                     std::string &line, std::string &lacking) {
    lacking.clear();
    RequestFields fields = {};
    fields.signed_in = body.in;
    std::string name, time, destination, return_time;
    if (!AnsiFromUtf8(body.name, code_page, name, lacking) ||
        !AnsiFromUtf8(body.time, code_page, time, lacking) ||
        !AnsiFromUtf8(body.destination, code_page, destination, lacking) ||
        !AnsiFromUtf8(body.return_time, code_page, return_time, lacking))
        return false;
    if (name.empty() || HoldsFieldSeparator(name.c_str())) return false;
    CopyCut(fields.name, name.c_str());
    if (time.empty()) time = clock_text;
    CopyCut(fields.in_time, time.c_str());
    CopyCut(fields.out_time, time.c_str());
    CopyCut(fields.destination, destination.c_str());
    CopyCut(fields.return_time, return_time.c_str());
    char built[kRequestLineCapacity];
    size_t length = BuildRequestLine(fields, built, sizeof built);
    // Framed as the sign-in port frames what arrives: the same line.
    RequestFramer framer;
    if (framer.Feed(built, length) != FrameState::Complete) return false;
    line = framer.Line();
    return true;
}
