// The test thread's message loop, run by hand between steps of a test.
#pragma once

namespace win32test {

// Dispatches everything now in this thread's queue.
void drainMessages();
// Drains the queue `rounds` times with a 5 ms pause after each, so that the
// display server's answers to what was dispatched arrive too.
void pumpMessages(int rounds = 3);

}  // namespace win32test
