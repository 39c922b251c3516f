// Text to and from the console of whoever ran tesmar.exe with a command
// (/install, /uninstall): a window program has no console of its own, so
// it writes to the standard handles it was given, or else to its parent's
// console. Windows only.
#pragma once
#include <string>

// Writes text and a line end.
void ConsoleLine(const std::string &text);

// One line from standard input (the line end not kept), without echo when
// it comes from a console; false when there is none.
bool ConsoleReadLine(std::string &line);
