#include "tests/support/win32_test_messages.h"

#include <windows.h>

namespace win32test {

void drainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void pumpMessages(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        drainMessages();
        Sleep(5);
    }
}

}  // namespace win32test
