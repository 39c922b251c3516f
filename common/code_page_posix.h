// The native programs' code page: the board's bytes are in the code page
// the configuration names (1252 unless it says otherwise), since there is
// no system ANSI code page to ask. Conversions beyond the portable tables
// go through iconv. Native only.
#pragma once

// Whether the code page can be used: one the portable tables convert
// (1252, 28591, 65001) or one iconv knows as "CP<n>".
bool CodePageUsable(unsigned code_page);

// Makes code_page what ActiveCodePage() answers from now on.
void UseCodePage(unsigned code_page);
