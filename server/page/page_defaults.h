// The page's defaults: the header and footer the board page gets while the
// settings store holds none (the settings are read with them at start-up).
#pragma once

extern const char kDefaultHeader[];
extern const char kDefaultFooter[];
