// A small, fast, seeded noise source (xorshift64*): the same numbers on every
// run and every machine, for the dither and the hammer's thump.
#pragma once

#include <cstdint>

class Noise {
public:
    explicit Noise(uint64_t state) : state(state) {}
    // Uniform in [0, 1).
    double uniform() {
        state ^= state >> 12, state ^= state << 25, state ^= state >> 27;
        return double((state * 0x2545F4914F6CDD1Dull) >> 11) * (1.0 / 9007199254740992.0);
    }

private:
    uint64_t state;
};
