// What the impulse test instrument reports about the events it received.
#pragma once

struct ImpulseEvent {
    long long frame;  // absolute: frames rendered before the block plus deltaFrames
    unsigned char bytes[3];
};

// Exported beside the entry: the events and the calls (tokens such as
// "open", "rate=48000", "events=2", "process=64") since the last entry call,
// and how many events arrived outside their block.
typedef const ImpulseEvent* (*ImpulseEventsProc)(int* count);
typedef const char* (*ImpulseCallsProc)();
typedef int (*ImpulseMisplacedProc)();
