#include "tools/render-midi/midi_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

// Larger than any real song; keeps a wrong path (a disk image, say) from being read whole.
constexpr size_t kMaxFileBytes = 64u << 20;
constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note (120 bpm)

std::string hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof(text), "0x%02X", value & 0xFFu);
    return text;
}

// One event as read from its track, before the tracks are merged.
struct RawEvent {
    uint64_t tick;
    uint16_t track;
    enum Kind : uint8_t { kChannel, kTempo, kSkipped, kEnd } kind;
    uint8_t size;
    uint8_t bytes[3];
    uint32_t tempo;
};

class Reader {
public:
    Reader(const std::vector<uint8_t>& bytes, MidiFileError* error) : data(bytes), error(error) {}

    bool fail(size_t offset, const std::string& message) {
        if (error) {
            error->offset = offset;
            error->message = message;
        }
        return false;
    }
    uint32_t be16(size_t at) const { return (uint32_t)data[at] << 8 | data[at + 1]; }
    uint32_t be32(size_t at) const { return be16(at) << 16 | be16(at + 2); }

    // A variable-length quantity of at most four bytes, ending before `end`.
    bool quantity(size_t* at, size_t end, uint32_t* value, const char* what) {
        uint32_t v = 0;
        size_t start = *at;
        for (int i = 0; i < 4; i++) {
            if (*at >= end) return fail(*at, std::string("truncated ") + what);
            uint8_t b = data[(*at)++];
            v = v << 7 | (b & 0x7Fu);
            if (!(b & 0x80)) {
                *value = v;
                return true;
            }
        }
        return fail(start, std::string(what) + " longer than 4 bytes");
    }

    bool track(size_t at, size_t end, uint16_t index, std::vector<RawEvent>* events) {
        uint64_t tick = 0;
        uint8_t running = 0;
        while (at < end) {
            uint32_t delta = 0;
            if (!quantity(&at, end, &delta, "delta time")) return false;
            tick += delta;
            if (at >= end) return fail(at, "truncated event: the track ends after a delta time");
            RawEvent e{tick, index, RawEvent::kChannel, 0, {0, 0, 0}, 0};
            size_t statusAt = at;
            uint8_t status = data[at];
            if (status & 0x80) {
                at++;
            } else if (running) {
                status = running;
            } else {
                return fail(at, "data byte " + hex(status) + " without a running status");
            }
            if (status < 0xF0) {
                int n = (status & 0xE0) == 0xC0 ? 1 : 2;  // program change and channel pressure take one
                e.size = (uint8_t)(n + 1);
                e.bytes[0] = status;
                for (int i = 0; i < n; i++, at++) {
                    if (at >= end) return fail(at, "truncated " + hex(status) + " message");
                    if (data[at] & 0x80)
                        return fail(at, "status byte " + hex(data[at]) + " where a data byte of " + hex(status) +
                                            " belongs");
                    e.bytes[1 + i] = data[at];
                }
                running = status;
                events->push_back(e);
                continue;
            }
            running = 0;  // system exclusive and meta events cancel the running status
            uint8_t type = 0;
            if (status == 0xFF) {
                if (at >= end) return fail(at, "truncated meta event");
                type = data[at++];
            } else if (status != 0xF0 && status != 0xF7) {
                return fail(statusAt, "status byte " + hex(status) + " does not belong in a MIDI file");
            }
            uint32_t length = 0;
            size_t lengthAt = at;
            if (!quantity(&at, end, &length, status == 0xFF ? "meta event length" : "system exclusive length"))
                return false;
            if (length > end - at)
                return fail(lengthAt, "event of " + std::to_string(length) + " bytes runs past the end of its track");
            e.kind = RawEvent::kSkipped;
            if (status == 0xFF && type == 0x51) {
                if (length != 3) return fail(lengthAt, "tempo event of " + std::to_string(length) + " bytes, not 3");
                e.kind = RawEvent::kTempo;
                e.tempo = (uint32_t)data[at] << 16 | (uint32_t)data[at + 1] << 8 | data[at + 2];
                if (e.tempo == 0) return fail(at, "tempo of 0 microseconds per quarter note");
            }
            at += length;
            if (status == 0xFF && type == 0x2F) {
                e.kind = RawEvent::kEnd;
                events->push_back(e);
                return true;  // anything after the end of the track is not played
            }
            events->push_back(e);
        }
        return true;
    }

    bool parse(MidiSong* song) {
        if (data.size() < 4 || data[0] != 'M' || data[1] != 'T' || data[2] != 'h' || data[3] != 'd')
            return fail(0, "not a MIDI file (no \"MThd\" header)");
        if (data.size() < 14) return fail(data.size(), "truncated header");
        uint32_t headerLength = be32(4);
        if (headerLength < 6) return fail(4, "header length " + std::to_string(headerLength) + " is below 6");
        if (headerLength > data.size() - 8) return fail(4, "header runs past the end of the file");
        uint32_t format = be16(8), declared = be16(10), division = be16(12);
        if (format == 2) return fail(8, "format 2 (independent sequences) is not supported");
        if (format > 2) return fail(8, "unknown format " + std::to_string(format));
        if (declared == 0) return fail(10, "the header declares no tracks");
        song->format = (int)format;
        song->trackCount = (int)declared;
        if (division & 0x8000) {
            int fps = -(int)(int8_t)(division >> 8);
            if (fps != 24 && fps != 25 && fps != 29 && fps != 30)
                return fail(12, "SMPTE division with " + std::to_string(fps) + " frames per second");
            if ((division & 0xFF) == 0) return fail(13, "SMPTE division with 0 ticks per frame");
            song->smpteFramesPerSecond = fps;
            song->ticksPerSmpteFrame = (int)(division & 0xFF);
        } else {
            if (division == 0) return fail(12, "division of 0 ticks per quarter note");
            song->ticksPerQuarter = (int)division;
        }

        std::vector<RawEvent> events;
        size_t at = 8 + headerLength;
        for (uint32_t found = 0; found < declared;) {
            if (data.size() - at < 8)
                return fail(at, "file ends before track " + std::to_string(found + 1) + " of " +
                                    std::to_string(declared));
            bool printable = true;
            for (int i = 0; i < 4; i++) printable = printable && data[at + i] >= 0x20 && data[at + i] < 0x7F;
            if (!printable) return fail(at, "no chunk where track " + std::to_string(found + 1) + " should begin");
            uint32_t length = be32(at + 4);
            if (length > data.size() - at - 8)
                return fail(at + 4, "chunk of " + std::to_string(length) + " bytes runs past the end of the file (" +
                                        std::to_string(data.size()) + " bytes)");
            bool isTrack = data[at] == 'M' && data[at + 1] == 'T' && data[at + 2] == 'r' && data[at + 3] == 'k';
            if (isTrack && !track(at + 8, at + 8 + length, (uint16_t)found++, &events)) return false;
            at += 8 + length;  // chunks of other kinds are passed over
        }

        // Merged in time order; a stable sort keeps track order, then file order, for equal ticks.
        std::stable_sort(events.begin(), events.end(),
                         [](const RawEvent& a, const RawEvent& b) { return a.tick < b.tick; });
        double segmentSeconds = 0;
        uint64_t segmentTick = 0;
        uint32_t tempo = kDefaultTempo;
        auto secondsAt = [&](uint64_t tick) {
            if (song->ticksPerQuarter == 0) {
                double fps = song->smpteFramesPerSecond == 29 ? 30000.0 / 1001.0 : song->smpteFramesPerSecond;
                return (double)tick / (fps * song->ticksPerSmpteFrame);
            }
            return segmentSeconds +
                   (double)(tick - segmentTick) * tempo / (1e6 * (double)song->ticksPerQuarter);
        };
        for (const RawEvent& e : events) {
            double seconds = secondsAt(e.tick);
            song->lengthSeconds = std::max(song->lengthSeconds, seconds);
            if (e.kind == RawEvent::kChannel) {
                MidiMessage m{seconds, e.tick, e.track, e.size, {e.bytes[0], e.bytes[1], e.bytes[2]}};
                song->messages.push_back(m);
                continue;
            }
            if (e.kind != RawEvent::kEnd) song->skippedEvents++;
            if (e.kind == RawEvent::kTempo && song->ticksPerQuarter) {  // an SMPTE division has no tempo
                segmentSeconds = seconds;
                segmentTick = e.tick;
                tempo = e.tempo;
            }
        }
        return true;
    }

private:
    const std::vector<uint8_t>& data;
    MidiFileError* error;
};

}  // namespace

bool parseMidiFile(const std::vector<uint8_t>& bytes, MidiSong* song, MidiFileError* error) {
    MidiSong parsed;
    if (!Reader(bytes, error).parse(&parsed)) {
        *song = MidiSong();
        return false;
    }
    *song = std::move(parsed);
    return true;
}

bool readMidiFile(const std::string& path, MidiSong* song, MidiFileError* error) {
    *song = MidiSong();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = MidiFileError{0, "cannot open the file"};
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in) {
        if (error) *error = MidiFileError{0, "cannot read the file"};
        return false;
    }
    if ((unsigned long long)size > kMaxFileBytes) {
        if (error) *error = MidiFileError{kMaxFileBytes, "file of " + std::to_string(size) + " bytes is too large for a MIDI file"};
        return false;
    }
    std::vector<uint8_t> bytes((size_t)size);
    if (size > 0 && !in.read((char*)bytes.data(), size)) {
        if (error) *error = MidiFileError{0, "cannot read the file"};
        return false;
    }
    return parseMidiFile(bytes, song, error);
}
