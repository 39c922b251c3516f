// What the native server accepts in its settings file: the settings' value
// names, each with the values it may hold. A file with an unknown name, a
// bad value, or without the port or the working directory (there is nobody
// to ask for them) is refused, each fault named with its line.
#pragma once
#include <string>
#include <vector>

class ConfigFile;

// The code page the board's bytes are in when the file names none.
constexpr unsigned kDefaultCodePage = 1252;

// Every fault of the file read from path, as "path:LINE: text" ("path:
// text" for a setting that is missing); empty when it can be served.
std::vector<std::string> CheckConfig(const ConfigFile &config, const std::string &path);

// The CodePage setting of a checked file (kDefaultCodePage when unset).
unsigned ConfiguredCodePage(const ConfigFile &config);
