// Repeatable pseudo-random texture values: the same coordinates always give
// the same number, on every machine.
#pragma once

#include <cstdint>

inline double noise(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return (h & 0xffffff) / double(0x1000000);  // 0 <= n < 1
}
