#include <time.h>

#include "gui/tick_clock.h"

namespace VSTGUI {

namespace {

uint32_t platformTicks() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)((uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u);
}

void platformSleep(uint32_t milliseconds) {
    timespec pause;
    pause.tv_sec = milliseconds / 1000u;
    pause.tv_nsec = (long)(milliseconds % 1000u) * 1000000L;
    nanosleep(&pause, nullptr);
}

}  // namespace

TickClock platformTickClock() { return TickClock{platformTicks, platformSleep}; }

TickClock& tickClock() {
    static TickClock clock = platformTickClock();
    return clock;
}

}  // namespace VSTGUI
