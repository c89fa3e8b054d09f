// The millisecond clock and the short sleep behind the frame's tick count and
// the editor's idle pump. The platform's by default; a test can install a
// clock it steps by hand.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct TickClock {
    uint32_t (*ticks)();                 // milliseconds since system start
    void (*sleep)(uint32_t milliseconds);
};

// The clock in use. Assign to replace it; assign platformTickClock() to restore.
TickClock& tickClock();
TickClock platformTickClock();

}  // namespace VSTGUI
