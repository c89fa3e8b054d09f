#include "gui/tick_clock.h"

#include <windows.h>

namespace VSTGUI {

namespace {
uint32_t platformTicks() { return GetTickCount(); }
void platformSleep(uint32_t milliseconds) { Sleep(milliseconds); }
}  // namespace

TickClock platformTickClock() { return TickClock{platformTicks, platformSleep}; }

TickClock& tickClock() {
    static TickClock clock = platformTickClock();
    return clock;
}

}  // namespace VSTGUI
