// The state record through a host's stream.
#include <cmath>

#include "plugin/vst3/vst3_description.h"

namespace {

// Reads exactly `bytes` bytes, taking short reads in turn; false at the end
// of the stream or on an error.
bool readExactly(v3::IBStream* stream, uint8_t* to, int32_t bytes) {
    while (bytes > 0) {
        int32_t got = 0;
        if (stream->read(to, bytes, &got) != v3::kResultOk || got <= 0 || got > bytes) return false;
        to += got;
        bytes -= got;
    }
    return true;
}

}  // namespace

bool readState(v3::IBStream* stream, float values[kNumParams]) {
    if (!stream) return false;
    uint8_t header[kStateHeaderBytes];
    if (!readExactly(stream, header, kStateHeaderBytes)) return false;
    if (std::memcmp(header, kStateMagic, 4) != 0 || getLittle32(header + 4) != kStateVersion) return false;
    uint32_t count = getLittle32(header + 8);
    if (count == 0 || count > kStateMostParameters) return false;
    float read[kNumParams];
    for (int i = 0; i < kNumParams; i++) read[i] = values[i];
    for (uint32_t i = 0; i < count; i++) {
        uint8_t bytes[4];
        if (!readExactly(stream, bytes, 4)) return false;
        uint32_t bits = getLittle32(bytes);
        float value;
        std::memcpy(&value, &bits, 4);
        if (!std::isfinite(value) || value < 0.f || value > 1.f) return false;
        if (i < (uint32_t)kNumParams) read[i] = value;
    }
    for (int i = 0; i < kNumParams; i++) values[i] = read[i];
    return true;
}

bool writeState(v3::IBStream* stream, const float values[kNumParams]) {
    if (!stream) return false;
    uint8_t record[kStateBytes];
    encodeState(values, record);
    int32_t written = 0;
    return stream->write(record, (int32_t)kStateBytes, &written) == v3::kResultOk && written == (int32_t)kStateBytes;
}
