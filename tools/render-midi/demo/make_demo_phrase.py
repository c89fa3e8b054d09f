#!/usr/bin/env python3
"""Writes the demo phrase, a Standard MIDI File of our own (format 1, 480 PPQ).

Eight bars at the instrument's default levels: chords across the keyboard
under the sustain pedal in both velocity layers (soft at 70 and below, mellow;
loud at 72 and above, barking), a growling bass line under bell-like treble
chords, two bars with a modulation-wheel sweep, an arpeggio from the bottom
of the keyboard to the top and a closing chord from A0 to C8 under a
ritardando; about 25 s.

    make_demo_phrase.py OUT.mid
"""
import struct
import sys

PPQ = 480
BEAT = PPQ
BAR = 4 * BEAT
CH = 0


def tempo(bpm):
    us = round(60_000_000 / bpm)
    return bytes([0xFF, 0x51, 3]) + us.to_bytes(3, "big")


def meta_text(kind, text):
    data = text.encode("ascii")
    return bytes([0xFF, kind, len(data)]) + data


def note_on(key, velocity):
    return bytes([0x90 | CH, key, velocity])


def note_off(key, style):
    # Both ways of ending a note appear in the file: 0x80, and note-on with velocity 0.
    return bytes([0x80 | CH, key, 64]) if style == "off" else bytes([0x90 | CH, key, 0])


def cc(number, value):
    return bytes([0xB0 | CH, number, value])


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def track_chunk(events):
    """events: (tick, bytes) pairs; written in time order (stable), with running status."""
    body = bytearray()
    now = 0
    running = None
    for tick, data in sorted(events, key=lambda e: e[0]):
        body += vlq(tick - now)
        now = tick
        status = data[0]
        if status < 0xF0 and status == running:
            body += data[1:]
        else:
            body += data
        running = status if status < 0xF0 else None
    body += vlq(0) + bytes([0xFF, 0x2F, 0])
    return b"MTrk" + struct.pack(">I", len(body)) + bytes(body)


def chord(events, start, length, keys, velocities, style):
    for i, key in enumerate(keys):
        events.append((start, note_on(key, velocities[i % len(velocities)])))
        events.append((start + length, note_off(key, style)))


def phrase():
    conductor = [
        (0, meta_text(0x03, "Qelt ePiano demo")),
        (0, bytes([0xFF, 0x58, 4, 4, 2, 24, 8])),  # 4/4
        (0, tempo(84)),
        (7 * BAR, tempo(72)),  # ritardando into the last chord
        (8 * BAR, tempo(60)),
    ]
    left, right, pedal = [], [], []
    # The default channel volume: the instrument leaves room for chords.
    pedal += [(0, bytes([0xC0 | CH, 0])), (0, cc(1, 0))]

    soft = [40, 50, 58, 66]
    loud = [80, 92, 104, 112]
    bars = [
        # (left hand, right hand, velocities)
        ([38, 45], [65, 69, 72, 76], soft),        # Dm9
        ([43, 53], [59, 64, 69, 71], soft),        # G13
        ([36, 43], [64, 67, 71, 74], loud),        # Cmaj9
        ([33, 43], [61, 67, 70, 76], loud),        # A7(b9)
        ([26, 38], [77, 81, 84, 88], [96, 60, 66]),  # Dm9 high over a barking low D, under the wheel
        ([31, 43], [83, 89, 95, 100], [100, 76, 88]),  # G7 bells over a growling low G, under the wheel
    ]
    for b, (lh, rh, vel) in enumerate(bars):
        start = b * BAR
        chord(left, start, BAR - 40, lh, vel, "off")
        chord(right, start + 10, BEAT + BEAT // 2, rh, vel, "zero")
        chord(right, start + 2 * BEAT + BEAT // 2, BEAT, rh[1:], vel[::-1], "zero")
        # Pedal changes just after each chord: up, then down again.
        pedal += [(start + 20, cc(64, 0)), (start + 90, cc(64, 127))]

    # Bars 5 and 6: the modulation wheel sweeps up and back down in sixteenths.
    for step in range(32):
        up = step / 16 if step <= 16 else (32 - step) / 16
        pedal.append((4 * BAR + step * BEAT // 4, cc(1, round(72 * min(1.0, up)))))
    pedal.append((6 * BAR, cc(1, 0)))

    # Bar 7: an arpeggio from C1 to C7, soft at the bottom and loud at the top.
    arpeggio = [24, 31, 40, 47, 50, 55, 64, 71, 74, 79, 83, 86, 88, 91, 95, 96]
    pedal += [(6 * BAR + 20, cc(64, 0)), (6 * BAR + 60, cc(64, 127))]
    for i, key in enumerate(arpeggio):
        start = 6 * BAR + i * BEAT // 4
        chord(right, start, BEAT // 4 - 10, [key], [48 + i * 4], "zero")

    # Bar 8 and the hold: one chord across the whole keyboard, A0 to C8.
    final = 7 * BAR
    pedal += [(final + 20, cc(64, 0)), (final + 90, cc(64, 127))]
    chord(left, final, BAR, [21, 29, 36, 45, 52], [66, 100, 80], "off")
    chord(right, final + 12, BAR, [55, 60, 64, 69, 72, 79, 88, 108], [70, 90, 100, 80], "zero")
    pedal.append((8 * BAR + 2 * BEAT, cc(64, 0)))  # let go: the chord dies away
    pedal.append((8 * BAR + 3 * BEAT, bytes([0xFF, 0x01, 4]) + b"fine"))

    header = b"MThd" + struct.pack(">IHHH", 6, 1, 4, PPQ)
    return header + b"".join(track_chunk(t) for t in (conductor, left, right, pedal))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1].strip())
    with open(sys.argv[1], "wb") as out:
        out.write(phrase())
