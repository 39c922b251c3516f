// The machine's local clock in the native build.
#include "common/clock.h"

#include <ctime>

namespace {

class LocalClock : public Clock {
  public:
    ClockTime Now() override {
        time_t now = time(nullptr);
        struct tm local;
        localtime_r(&now, &local);
        return ClockTime{local.tm_hour,        local.tm_min,     local.tm_sec,
                         local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    }
};

} // namespace

Clock &SystemClock() {
    static LocalClock clock;
    return clock;
}
