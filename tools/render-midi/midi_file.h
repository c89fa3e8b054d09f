// Standard MIDI File reader: formats 0 and 1, every track merged into one
// list of channel messages in play order, with their times in seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MidiMessage {
    double seconds;  // from the start of the song
    uint64_t tick;   // absolute tick
    uint16_t track;  // index among the file's track chunks
    uint8_t size;    // 2 (program change, channel pressure) or 3
    uint8_t bytes[3];
};

struct MidiSong {
    int format = 0;
    int trackCount = 0;
    int ticksPerQuarter = 0;   // 0 for an SMPTE division
    int smpteFramesPerSecond = 0;  // 24, 25, 29 (29.97 drop-frame) or 30; 0 for PPQ
    int ticksPerSmpteFrame = 0;
    std::vector<MidiMessage> messages;  // stable for equal times: track order, then file order
    size_t skippedEvents = 0;           // system exclusive and meta events (tempo included)
    double lengthSeconds = 0;           // time of the latest event of any kind (end of track included)
};

struct MidiFileError {
    size_t offset = 0;  // byte offset in the file where the problem was found
    std::string message;
};

// Parses a whole file held in memory. On failure `song` is left empty.
bool parseMidiFile(const std::vector<uint8_t>& bytes, MidiSong* song, MidiFileError* error);

// Reads and parses the file at `path` (an unreadable file fails at offset 0).
bool readMidiFile(const std::string& path, MidiSong* song, MidiFileError* error);
