// The measured figures of a real tine piano's loud strike (velocity 110), at
// C2 to C7: harmonics 2..8 re the fundamental and brightness, attack (0 to
// 100 ms) and body (0.95 to 1.05 s). -99 stands for "below -90 dB" (absent).
#pragma once

struct TineReference {
    int key;
    double attack[7], body[7];  // harmonics 2..8, dB re the fundamental
    double attackBrightness, bodyBrightness;
};

constexpr TineReference kTineReference[] = {
    {36, {13, 1, 8, 1, 4, 0, 0}, {9, -1, 2, -2, -5, -6, -14}, 15.1, 10.8},
    {48, {7, -1, -1, -3, -10, -7, -23}, {1, -7, -15, -14, -40, -24, -38}, 8.9, 1.5},
    {60, {-3, -7, -24, -17, -31, -34, -39}, {-12, -17, -45, -37, -49, -65, -68}, -1.6, -10.9},
    {72, {-18, -17, -32, -44, -50, -48, -63}, {-29, -29, -48, -72, -80, -99, -99}, -14.3, -26.0},
    {84, {-45, -32, -51, -99, -75, -55, -76}, {-48, -50, -77, -99, -99, -99, -99}, -31.9, -45.6},
    {96, {-40, -59, -89, -99, -99, -99, -99}, {-62, -76, -86, -84, -99, -99, -99}, -40.0, -62.2},
};
constexpr int kLoudVelocity = 110, kSoftVelocity = 50;
constexpr int kTiltLowKey = 36, kTiltHighKey = 96;
