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

namespace {

bool isTag(const uint8_t* at, const char* tag) { return std::memcmp(at, tag, 4) == 0; }

uint32_t getBig32(const uint8_t* at) {
    return (uint32_t)at[0] << 24 | (uint32_t)at[1] << 16 | (uint32_t)at[2] << 8 | (uint32_t)at[3];
}

// `count` values, each 4 bytes in the given order, into `read` (those past
// ours are read and checked, not kept). Each must be a value of ours, 0..1.
bool readValues(v3::IBStream* stream, uint32_t count, bool bigEndian, float read[kNumParams]) {
    if (count == 0 || count > kStateMostParameters) return false;
    for (uint32_t i = 0; i < count; i++) {
        uint8_t bytes[4];
        if (!readExactly(stream, bytes, 4)) return false;
        uint32_t bits = bigEndian ? getBig32(bytes) : getLittle32(bytes);
        float value;
        std::memcpy(&value, &bits, 4);
        if (!std::isfinite(value) || value < 0.f || value > 1.f) return false;
        if (i < (uint32_t)kNumParams) read[i] = value;
    }
    return true;
}

bool skip(v3::IBStream* stream, uint32_t bytes) {
    uint8_t scrap[64];
    while (bytes > 0) {
        uint32_t n = bytes < sizeof scrap ? bytes : (uint32_t)sizeof scrap;
        if (!readExactly(stream, scrap, (int32_t)n)) return false;
        bytes -= n;
    }
    return true;
}

// A program of the VST 2 plug-in as its hosts save it, after its 'CcnK':
// size, 'FxCk', version, unique ID, plug-in version, parameter count, a
// 28-byte name, then the values as big-endian floats. The plug-in keeps no
// chunk, so an 'FPCh' program is not one of its own.
bool readVst2Program(v3::IBStream* stream, float read[kNumParams]) {
    uint8_t head[24];
    if (!readExactly(stream, head, 24)) return false;
    if (!isTag(head + 4, "FxCk") || !isTag(head + 12, kQeltUniqueId)) return false;
    uint32_t count = getBig32(head + 20);
    return skip(stream, 28) && readValues(stream, count, true, read);
}

// A state saved by a host of the VST 2 plug-in, handed over when a project
// moves to this one: an optional 'VstW' header, then the bank ('FxBk'; its
// first program is the one program there is), or a program alone.
bool readVst2State(v3::IBStream* stream, const uint8_t first[4], float read[kNumParams]) {
    uint8_t tag[4];
    std::memcpy(tag, first, 4);
    if (isTag(tag, "VstW")) {
        uint8_t size[4];
        if (!readExactly(stream, size, 4)) return false;
        uint32_t headerBytes = getBig32(size);  // version and bypass, at least
        if (headerBytes < 8 || headerBytes > 64 || !skip(stream, headerBytes)) return false;
        if (!readExactly(stream, tag, 4)) return false;
    }
    if (!isTag(tag, "CcnK")) return false;
    uint8_t head[24];
    if (!readExactly(stream, head, 8)) return false;
    if (isTag(head + 4, "FxCk")) {
        // A program alone: its size and tag are read; the rest as in a bank.
        uint8_t rest[16];
        if (!readExactly(stream, rest, 16) || !isTag(rest + 4, kQeltUniqueId)) return false;
        return skip(stream, 28) && readValues(stream, getBig32(rest + 12), true, read);
    }
    if (!isTag(head + 4, "FxBk")) return false;
    if (!readExactly(stream, head + 8, 16) || !isTag(head + 12, kQeltUniqueId)) return false;
    uint32_t bankVersion = getBig32(head + 8), programs = getBig32(head + 20);
    if (programs < 1 || (bankVersion >= 1 && !skip(stream, 128))) return false;
    uint8_t programTag[4];
    return readExactly(stream, programTag, 4) && isTag(programTag, "CcnK") && readVst2Program(stream, read);
}

}  // namespace

bool readState(v3::IBStream* stream, float values[kNumParams]) {
    if (!stream) return false;
    float read[kNumParams];
    for (int i = 0; i < kNumParams; i++) read[i] = values[i];
    uint8_t magic[4];
    if (!readExactly(stream, magic, 4)) return false;
    if (std::memcmp(magic, kStateMagic, 4) == 0) {
        uint8_t header[kStateHeaderBytes - 4];
        if (!readExactly(stream, header, sizeof header) || getLittle32(header) != kStateVersion) return false;
        if (!readValues(stream, getLittle32(header + 4), false, read)) return false;
    } else if (!readVst2State(stream, magic, read)) {
        return false;
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
