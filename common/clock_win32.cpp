// The machine's local clock in the Windows programs.
#include "common/clock.h"

#include <windows.h>

namespace {

class LocalClock : public Clock {
  public:
    ClockTime Now() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return ClockTime{t.wHour, t.wMinute, t.wSecond, t.wYear, t.wMonth, t.wDay};
    }
};

} // namespace

Clock &SystemClock() {
    static LocalClock clock;
    return clock;
}
