// The renderer's MIDI file reader on any bytes: a clean error (the renderer
// then exits with status 2 and writes nothing) or a list of events it can
// play; never a crash, a hang or memory out of proportion to the file.
#include <sanitizer/allocator_interface.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tools/render-midi/midi_file.h"

namespace {

// The shortest channel message a file can hold is two bytes: a one-byte
// delta time and the data byte of a running status.
constexpr size_t kMinBytesPerMessage = 2;

// Memory in proportion to the file: each message is held twice while the
// tracks are merged (about 56 bytes), and a growing list may hold twice its
// length for a moment.
constexpr size_t kMostHeapBytesPerFileByte = 128;
constexpr size_t kMostHeapBytesForAnyFile = 64 << 10;

// The heap in use, as the sanitizer's allocator reports each call.
int64_t heapInUse = 0, heapPeak = 0;

void noteMalloc(const volatile void*, size_t size) {
    heapInUse += (int64_t)size;
    if (heapInUse > heapPeak) heapPeak = heapInUse;
}

void noteFree(const volatile void* p) { heapInUse -= (int64_t)__sanitizer_get_allocated_size(p); }

// Weak, so that a build without the sanitizer (a coverage report) links;
// the limit is then not checked.
#pragma weak __sanitizer_install_malloc_and_free_hooks
#pragma weak __sanitizer_get_allocated_size
const bool hooked = &__sanitizer_install_malloc_and_free_hooks && &__sanitizer_get_allocated_size &&
                    __sanitizer_install_malloc_and_free_hooks(noteMalloc, noteFree) != 0;

void checkError(const MidiSong& song, const MidiFileError& error, size_t size) {
    FUZZ_CHECK(!error.message.empty(), "an error without a message");
    FUZZ_CHECK(error.offset <= size, "error offset %zu beyond the file's %zu bytes", error.offset, size);
    FUZZ_CHECK(song.messages.empty() && song.trackCount == 0, "a failed parse left a song behind");
}

void checkSong(const MidiSong& song, size_t size) {
    FUZZ_CHECK(song.format == 0 || song.format == 1, "format %d", song.format);
    FUZZ_CHECK(song.trackCount > 0, "no tracks");
    FUZZ_CHECK((song.ticksPerQuarter > 0) != (song.smpteFramesPerSecond > 0), "division");
    FUZZ_CHECK(song.messages.size() <= size / kMinBytesPerMessage, "%zu messages from %zu bytes", song.messages.size(),
               size);
    FUZZ_CHECK(std::isfinite(song.lengthSeconds) && song.lengthSeconds >= 0, "length %g", song.lengthSeconds);
    double previous = 0;
    for (const MidiMessage& m : song.messages) {
        FUZZ_CHECK(std::isfinite(m.seconds) && m.seconds >= previous, "time %g after %g", m.seconds, previous);
        FUZZ_CHECK(m.seconds <= song.lengthSeconds, "message at %g past the song's end %g", m.seconds,
                   song.lengthSeconds);
        previous = m.seconds;
        FUZZ_CHECK(m.bytes[0] >= 0x80 && m.bytes[0] < 0xF0, "status 0x%02X", m.bytes[0]);
        int expected = (m.bytes[0] & 0xE0) == 0xC0 ? 2 : 3;
        FUZZ_CHECK(m.size == expected, "status 0x%02X with %d bytes", m.bytes[0], m.size);
        for (int i = 1; i < m.size; i++) FUZZ_CHECK(m.bytes[i] < 0x80, "data byte 0x%02X", m.bytes[i]);
        FUZZ_CHECK(m.track < song.trackCount, "track %d of %d", m.track, song.trackCount);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    MidiSong song;
    MidiFileError error;
    const int64_t before = heapInUse;
    heapPeak = heapInUse;
    bool parsed = parseMidiFile(bytes, &song, &error);
    const size_t used = (size_t)(heapPeak - before);
    FUZZ_CHECK(!hooked || used <= kMostHeapBytesForAnyFile + kMostHeapBytesPerFileByte * size,
               "%zu heap bytes for a file of %zu bytes", used, size);
    if (parsed)
        checkSong(song, size);
    else
        checkError(song, error, size);
    return 0;
}
