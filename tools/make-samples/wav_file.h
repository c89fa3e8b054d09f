// Minimal 16-bit PCM WAV writer (stereo interleaved values as stored).
#pragma once

#include <cstdint>
#include <string>

bool writeWav(const std::string& path, const int16_t* values, int32_t count, int channels = 2,
              int rate = 44100);
