// Waiting a while, bound at link time like the file services
// (link_time_posix.cpp natively, link_time_win32.cpp in the Windows programs).
#pragma once

// Returns after about ms milliseconds.
void PauseMilliseconds(int ms);
