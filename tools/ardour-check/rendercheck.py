#!/usr/bin/python3
"""Helpers for render-vst3.sh (standard library only).

  rendercheck.py notes NOTES RATE TAIL_S
      Parse a note list and print three lines:
        1. the normalized list "key,start_s,dur_s,vel;..." read by render.lua
        2. the total length in samples (last note end + tail)
        3. "START END HZ" of the first stretch where one key sounds alone
           (for the pitch estimate), or "-" when there is none.

  rendercheck.py merge OUT.wav IN.wav [IN.wav ...]
      Join the channels of the host's files (one mono file per channel
      from a bounce) into one 32-bit float WAV.

  rendercheck.py analyze WAV EXPECT_FRAMES [PITCH_WINDOW]
      Check a rendered WAV and print one line on stdout: the metrics line
      "duration_s=... peak_dbfs=... rms_dbfs=... onset_s=..." on success, or
      "FAIL: why" (exit 5 silent, 6 unusable file, 9 wrong pitch).
      Details go to stderr.  Tunables (environment):
        RENDER_TOL_S        length tolerance in seconds          (0.05)
        RENDER_SILENT_DBFS  peak at or below this is silence      (-80)
        RENDER_CHECK_PITCH  1: fail when the pitch is off by more
                            than RENDER_PITCH_TOL (fraction, 0.03)

NOTES syntax: items separated by spaces or ';', each KEYS:START:DUR[:VEL]
with KEYS one key or several joined by '+', a key being a MIDI number
(0-127) or a name such as C4, F#3, Bb2 (C4 = 60 = 261.63 Hz), START and
DUR in seconds and VEL 1-127 (default 100).  Example (the default):
    C4:0:1:100 C4+E4+G4:1:1:100
"""

import array
import math
import os
import re
import struct
import sys

DEFAULT_NOTES = "C4:0:1:100 C4+E4+G4:1:1:100"
MAX_SECONDS = 60.0
ONSET_REL_DB = -40.0

_NAME = re.compile(r"^([A-Ga-g])([#b]?)(-?\d+)$")
_STEP = {"c": 0, "d": 2, "e": 4, "f": 5, "g": 7, "a": 9, "b": 11}


class NotesError(ValueError):
    pass


def key_number(text):
    """MIDI key for '60', 'C4', 'F#3', 'Bb2' (C4 = 60)."""
    if text.isdigit():
        key = int(text)
    else:
        m = _NAME.match(text)
        if not m:
            raise NotesError("bad key %r (use 0-127 or a name like C4, F#3, Bb2)" % text)
        key = (int(m.group(3)) + 1) * 12 + _STEP[m.group(1).lower()]
        key += {"#": 1, "b": -1, "": 0}[m.group(2)]
    if not 0 <= key <= 127:
        raise NotesError("key %r is outside MIDI range 0-127" % text)
    return key


def key_hz(key):
    return 440.0 * 2.0 ** ((key - 69) / 12.0)


def parse_notes(pattern):
    """Return [(key, start_s, dur_s, vel)] sorted by start, then key."""
    notes = []
    items = [i for i in re.split(r"[\s;]+", pattern.strip()) if i]
    if not items:
        raise NotesError("empty note list")
    for item in items:
        parts = item.split(":")
        if len(parts) not in (3, 4):
            raise NotesError("bad item %r (want KEYS:START:DUR[:VEL])" % item)
        try:
            start, dur = float(parts[1]), float(parts[2])
            vel = int(parts[3]) if len(parts) == 4 else 100
        except ValueError:
            raise NotesError("bad number in %r" % item) from None
        if not (math.isfinite(start) and start >= 0):
            raise NotesError("start must be >= 0 in %r" % item)
        if not (math.isfinite(dur) and dur > 0):
            raise NotesError("duration must be > 0 in %r" % item)
        if not 1 <= vel <= 127:
            raise NotesError("velocity must be 1-127 in %r" % item)
        for k in parts[0].split("+"):
            notes.append((key_number(k), start, dur, vel))
    end = max(s + d for _, s, d, _ in notes)
    if end > MAX_SECONDS:
        raise NotesError("pattern lasts %.1f s; keep it under %.0f s" % (end, MAX_SECONDS))
    notes.sort(key=lambda n: (n[1], n[0]))
    return notes


def solo_window(notes):
    """(start, end, hz) of the first stretch where exactly one key sounds, or None.

    The window skips 0.1 s of attack and stops 0.05 s before the next change.
    """
    edges = sorted({t for _, s, d, _ in notes for t in (s, s + d)})
    for a, b in zip(edges, edges[1:]):
        sounding = {k for k, s, d, _ in notes if s <= a and s + d >= b}
        if len(sounding) == 1 and b - a >= 0.3:
            return a + 0.1, b - 0.05, key_hz(sounding.pop())
    return None


def notes_main(pattern, rate, tail):
    notes = parse_notes(pattern)
    end = max(s + d for _, s, d, _ in notes)
    total = int(round((end + tail) * rate))
    print(";".join("%d,%.6f,%.6f,%d" % n for n in notes))
    print(total)
    w = solo_window(notes)
    print("-" if w is None else "%.6f %.6f %.3f" % w)


# ---------------------------------------------------------------- WAV reading


class WavError(ValueError):
    pass


def read_wav(path):
    """Return (rate, channels, frames, samples) with samples interleaved floats."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 12 or data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise WavError("not a RIFF/WAVE file")
    pos, fmt, payload = 12, None, None
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if cid == b"fmt ":
            fmt = body
        elif cid == b"data":
            payload = body
        pos += 8 + size + (size & 1)
    if fmt is None or payload is None or len(fmt) < 16:
        raise WavError("missing fmt or data chunk")
    tag, channels, rate = struct.unpack("<HHI", fmt[:8])
    bits = struct.unpack("<H", fmt[14:16])[0]
    if tag == 0xFFFE and len(fmt) >= 26:
        tag = struct.unpack("<H", fmt[24:26])[0]
    if channels < 1 or rate < 1:
        raise WavError("bad channel count or rate")
    if tag == 3 and bits in (32, 64):
        samples = array.array("f" if bits == 32 else "d")
        payload = payload[:len(payload) - len(payload) % samples.itemsize]
        samples.frombytes(payload)
    elif tag == 1 and bits in (16, 32):
        raw = array.array("h" if bits == 16 else "i")
        payload = payload[:len(payload) - len(payload) % raw.itemsize]
        raw.frombytes(payload)
        scale = 1.0 / (1 << (bits - 1))
        samples = array.array("d", (v * scale for v in raw))
    elif tag == 1 and bits == 24:
        n = len(payload) // 3
        samples = array.array("d", (
            int.from_bytes(payload[3 * i:3 * i + 3], "little", signed=True) / 8388608.0
            for i in range(n)))
    else:
        raise WavError("unsupported WAV encoding (tag %d, %d bit)" % (tag, bits))
    if sys.byteorder != "little":
        samples.byteswap()
    return rate, channels, len(samples) // channels, samples


def write_wav_float(path, rate, channels, samples):
    """Write interleaved samples as a 32-bit float WAV (with a fact chunk)."""
    data = array.array("f", samples)
    if sys.byteorder != "little":
        data.byteswap()
    raw = data.tobytes()
    frames = len(samples) // channels
    fmt = struct.pack("<HHIIHHH", 3, channels, rate, rate * channels * 4, channels * 4, 32, 0)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
            + b"fact" + struct.pack("<II", 4, frames)
            + b"data" + struct.pack("<I", len(raw)) + raw)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def merge_main(out, inputs):
    parts = []
    for path in inputs:
        try:
            parts.append(read_wav(path))
        except (OSError, WavError) as e:
            print("FAIL: rendered file %s unusable: %s" % (path, e))
            return 6
    rates = {p[0] for p in parts}
    lengths = {p[2] for p in parts}
    if len(rates) != 1 or len(lengths) != 1:
        print("FAIL: rendered files differ in rate or length: %s" % sorted(
            (p[0], p[2]) for p in parts))
        return 6
    channels = sum(p[1] for p in parts)
    frames = lengths.pop()
    merged = array.array("f", bytes(4 * channels * frames))
    col = 0
    for _, ch, _, samples in parts:
        for c in range(ch):
            merged[col::channels] = array.array("f", samples[c::ch])
            col += 1
    write_wav_float(out, rates.pop(), channels, merged)
    return 0


# ---------------------------------------------------------------- measures


def db(x):
    return 20.0 * math.log10(x) if x > 0 else float("-inf")


def measure(samples, channels, rate):
    """Peak/RMS in dBFS, onset in seconds (None when silent), count of non-finite."""
    bad = sum(1 for v in samples if not math.isfinite(v))
    finite = samples if bad == 0 else [v for v in samples if math.isfinite(v)]
    peak = max((abs(v) for v in finite), default=0.0)
    energy = math.fsum(v * v for v in finite)
    rms = math.sqrt(energy / len(finite)) if finite else 0.0
    onset = None
    if peak > 0 and bad == 0:
        thr = peak * 10 ** (ONSET_REL_DB / 20.0)
        for i, v in enumerate(samples):
            if abs(v) >= thr:
                onset = (i // channels) / rate
                break
    return {"peak_dbfs": db(peak), "rms_dbfs": db(rms) if rms > 0 else float("-inf"),
            "onset_s": onset, "nonfinite": bad}


def yin_f0(x, rate, fmin=60.0, fmax=2000.0, threshold=0.15):
    """Fundamental of a mono frame by the YIN difference function, or None."""
    max_lag = int(rate / fmin)
    min_lag = max(2, int(rate / fmax))
    w = len(x) - max_lag - 1
    if w < max_lag:
        return None
    d = [0.0] * (max_lag + 2)
    for tau in range(1, max_lag + 2):
        d[tau] = math.fsum((a - b) ** 2 for a, b in zip(x[:w], x[tau:tau + w]))
    cmnd = [1.0] * (max_lag + 2)
    run = 0.0
    for tau in range(1, max_lag + 2):
        run += d[tau]
        cmnd[tau] = d[tau] * tau / run if run > 0 else 1.0
    best = None
    for tau in range(min_lag, max_lag):
        if cmnd[tau] < threshold:
            while tau + 1 < max_lag and cmnd[tau + 1] < cmnd[tau]:
                tau += 1
            best = tau
            break
    if best is None:
        return None
    a, b, c = cmnd[best - 1], cmnd[best], cmnd[best + 1]
    den = a - 2 * b + c
    shift = 0.5 * (a - c) / den if den != 0 else 0.0
    return rate / (best + shift)


def pitch_in_window(samples, channels, rate, start_s, end_s):
    """Median YIN estimate over up to three frames inside [start_s, end_s]."""
    mono = [math.fsum(samples[i:i + channels]) / channels
            for i in range(0, len(samples), channels)]
    frame = int(0.045 * rate)
    a, b = int(start_s * rate), int(end_s * rate) - frame
    if b <= a:
        return None
    picks = sorted({a, (a + b) // 2, b})
    est = [f for f in (yin_f0(mono[p:p + frame], rate) for p in picks) if f]
    return sorted(est)[len(est) // 2] if est else None


def fmt_db(v):
    return "-inf" if v == float("-inf") else "%.1f" % v


def analyze_main(path, expect_frames, window):
    tol_s = float(os.environ.get("RENDER_TOL_S", "0.05"))
    silent_dbfs = float(os.environ.get("RENDER_SILENT_DBFS", "-80"))
    check_pitch = os.environ.get("RENDER_CHECK_PITCH", "0") == "1"
    pitch_tol = float(os.environ.get("RENDER_PITCH_TOL", "0.03"))
    try:
        rate, channels, frames, samples = read_wav(path)
    except (OSError, WavError) as e:
        print("FAIL: rendered WAV unusable: %s" % e)
        return 6
    dur = frames / rate
    exp = expect_frames / rate
    if abs(dur - exp) > tol_s:
        print("FAIL: rendered WAV lasts %.3f s, expected %.3f s (+-%.3f)" % (dur, exp, tol_s))
        return 6
    m = measure(samples, channels, rate)
    line = "duration_s=%.3f peak_dbfs=%s rms_dbfs=%s onset_s=%s" % (
        dur, fmt_db(m["peak_dbfs"]), fmt_db(m["rms_dbfs"]),
        "none" if m["onset_s"] is None else "%.4f" % m["onset_s"])
    print("render: %d ch, %d Hz, %d frames; %s" % (channels, rate, frames, line), file=sys.stderr)
    if m["nonfinite"]:
        print("FAIL: %d non-finite samples (NaN/Inf) in the render" % m["nonfinite"])
        return 6
    if m["peak_dbfs"] <= silent_dbfs:
        print("FAIL: silent render (peak %s dBFS <= %g dBFS)" % (fmt_db(m["peak_dbfs"]), silent_dbfs))
        return 5
    if window:
        f0 = pitch_in_window(samples, channels, rate, window[0], window[1])
        print("pitch_hz=%s expected_hz=%.1f (window %.2f-%.2f s)" % (
            "none" if f0 is None else "%.1f" % f0, window[2], window[0], window[1]), file=sys.stderr)
        if check_pitch and (f0 is None or abs(f0 / window[2] - 1) > pitch_tol):
            print("FAIL: pitch %s Hz, expected %.1f Hz (+-%.0f%%)" % (
                "none" if f0 is None else "%.1f" % f0, window[2], 100 * pitch_tol))
            return 9
    print(line)
    return 0


def main(argv):
    try:
        if len(argv) == 5 and argv[1] == "notes":
            notes_main(argv[2], int(argv[3]), float(argv[4]))
            return 0
        if len(argv) >= 4 and argv[1] == "merge":
            return merge_main(argv[2], argv[3:])
        if len(argv) in (4, 5) and argv[1] == "analyze":
            window = None
            if len(argv) == 5 and argv[4] != "-":
                window = tuple(float(v) for v in argv[4].split())
            return analyze_main(argv[2], int(argv[3]), window)
    except NotesError as e:
        print("FAIL: bad NOTES: %s" % e)
        return 2
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
