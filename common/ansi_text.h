// Texts of the ANSI code page as the outside world wants them: UTF-8 for
// the history journal and the JSON feed, and the code page's IANA name for
// the page's Content-Type.
#pragma once
#include <cstddef>
#include <string>

// Appends text (NUL-terminated, in code_page) to out as UTF-8. Code pages
// 1252 and 28591 (ISO 8859-1) and 65001 (UTF-8 itself) are converted by
// the same tables on every platform; any other goes through the platform
// (Windows converts it, natively iconv; where neither can, every byte
// above 127 becomes U+FFFD).
// Bytes that are not valid UTF-8 under 65001 become U+FFFD. Never fails.
void AppendUtf8FromAnsi(std::string &out, const char *text, unsigned code_page);

// Appends the code point cp (at most 0x10FFFF) to out as UTF-8: one to
// four bytes.
void AppendUtf8CodePoint(std::string &out, unsigned cp);

// "windows-1252" for 1252 and so on; nullptr for a code page without a
// registered name.
const char *IanaCharsetName(unsigned code_page);

// The UTF-8 text (valid UTF-8 expected) in code_page, into out: 65001 as
// it is, 1252 and 28591 by the tables above, any other by the platform's
// own conversion (ASCII alone when the platform does not know the code
// page). False when a character has no byte in the code page (it is never
// written as "?" or a look-alike): lacking then holds that character
// (UTF-8), and out is left as it was.
bool AnsiFromUtf8(const std::string &utf8, unsigned code_page, std::string &out,
                  std::string &lacking);

// Appends the size bytes of text with the characters that mean something
// in HTML (& < > " ') as entities, for an element's text or an attribute's
// quoted value.
void AppendHtmlEscaped(std::string &out, const char *text, size_t size);
