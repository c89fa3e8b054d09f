// qelt-sample-report: the measured figures of the recordings as the instrument
// plays them (a native instance, default parameters): the timbre of both
// layers at C2 to C7 beside the real tine piano's, the zone joins, loudness
// and headroom, the held pitch through a loop pass, and each recording's loop.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tests/samples/sound_measures.h"
#include "tests/samples/tine_reference.h"

using namespace measure;

namespace {

void printHarmonics(const timbre::Spectrum& s) {
    for (int n = 2; n <= timbre::kHarmonics; ++n)
        if (s.harmonic[n] < timbre::kAbsent)
            std::printf("  <-90");
        else
            std::printf(" %+5.0f", s.harmonic[n]);
}

void printReferenceHarmonics(const double* h) {
    for (int i = 0; i < 7; ++i)
        if (h[i] < timbre::kAbsent)
            std::printf("  <-90");
        else
            std::printf(" %+5.0f", h[i]);
}

void printTimbre() {
    std::printf("Timbre through the instrument (velocity %d loud, %d soft) beside the reference (ref):\n",
                kLoudVelocity, kSoftVelocity);
    std::printf(
        "key  layer  window  h2..h8 re h1 (dB)                          brightness  ref harmonics"
        "                              ref brightness\n");
    double tilt[2] = {0, 0};
    for (const TineReference& r : kTineReference) {
        for (int layer = 0; layer < 2; ++layer) {
            const timbre::NoteTimbre t = noteTimbre(r.key, layer ? kSoftVelocity : kLoudVelocity);
            for (int w = 0; w < 2; ++w) {
                const timbre::Spectrum& s = w ? t.body : t.attack;
                std::printf("%3d  %-5s  %-6s ", r.key, layer ? "soft" : "loud", w ? "body" : "attack");
                printHarmonics(s);
                std::printf("  %+10.1f  ", s.brightness);
                if (layer == 0) {
                    printReferenceHarmonics(w ? r.body : r.attack);
                    std::printf("  %+10.1f", w ? r.bodyBrightness : r.attackBrightness);
                }
                std::printf("\n");
            }
            if (r.key == kTiltLowKey) tilt[layer] += t.attack.brightness;
            if (r.key == kTiltHighKey) tilt[layer] -= t.attack.brightness;
        }
    }
    std::printf("keyboard tilt (attack, key %d minus key %d): loud %.1f dB, soft %.1f dB, reference %.1f dB\n\n",
                kTiltLowKey, kTiltHighKey, tilt[0], tilt[1],
                kTineReference[0].attackBrightness - kTineReference[5].attackBrightness);

    std::printf("Spectral centroid at 50 ms, loud (%d) over soft (%d):", kLoudVelocity, kSoftVelocity);
    for (const TineReference& r : kTineReference)
        std::printf("  %d: %.2f", r.key, centroidRatio(r.key, kLoudVelocity, kSoftVelocity));
    std::printf("\n\nZone joins, attack brightness (dB) at the boundary keys, loud / soft:\n");
    for (int z = 0; z < 10; ++z) {
        const int key = kSampleInfo[2 * z].highKey;
        double step[2];
        for (int layer = 0; layer < 2; ++layer) {
            const int v = layer ? kSoftVelocity : kLoudVelocity;
            step[layer] = noteTimbre(key + 1, v).attack.brightness - noteTimbre(key, v).attack.brightness;
        }
        std::printf("  %d/%d: %+5.1f / %+5.1f\n", key, key + 1, step[0], step[1]);
    }
}

void printLevels() {
    std::printf("\nVelocity 127 peak (dBFS) by key:\n");
    for (int key = 21; key <= 108; ++key)
        std::printf("%s%3d %6.1f", (key - 21) % 8 ? "  " : "\n  ", key, dB(renderNote(key, 127, 8820).peak()));
    int32_t frames = 0;
    const std::vector<TimedEvent> dense = denseChordPhrase(&frames);
    std::printf("\n\nDense phrase (ten-note chords under the pedal, velocities to 127): peak %.1f dBFS\n",
                dB(renderEvents(dense, frames).peak()));
    std::printf("\nzone  root  vel72-vel71(dB)   boundary keys  vel50(dB)  vel100(dB)\n");
    for (int z = 0; z < 11; ++z) {
        const SampleInfo& info = kSampleInfo[2 * z];
        const double layer = dB(renderNote(info.rootKey, 72, 22050).rms() / renderNote(info.rootKey, 71, 22050).rms());
        std::printf("%4d  %4d  %+15.2f", z, info.rootKey, layer);
        if (z < 10) {
            const int key = info.highKey;
            const double soft = dB(renderNote(key + 1, 50, 22050).rms() / renderNote(key, 50, 22050).rms());
            const double loud = dB(renderNote(key + 1, 100, 22050).rms() / renderNote(key, 100, 22050).rms());
            std::printf("   %5d/%-5d  %+9.2f  %+10.2f", key, key + 1, soft, loud);
        }
        std::printf("\n");
    }
}

void printLoops() {
    int16_t* const* samples = preparedSamples();
    std::printf(
        "\n #  key layer  start(c)  pass(c)  loop(c)  loopdrift(dB)  wrapstep  xfade(dB)      chdiff(dB)  "
        "band(dB)  onset90(ms)\n");
    for (int k = 0; k < kNumSamples; ++k) {
        const SampleInfo& info = kSampleInfo[k];
        const int16_t* s = samples[k];
        const double f = nominalFrequency(info.rootKey);
        const HeldPitch pitch = heldPitch(k);
        const int32_t w = wholeCycles(f, 8820);
        const double drift = dB(rms(s, info.loopEnd - w, w) / rms(s, info.loopStart, w));
        const double step = std::max(wrapStepRatio(s, info, 0), wrapStepRatio(s, info, 1));
        double low = 0, high = 0;
        if (k < kNumPreparedSamples) crossfadeRmsRange(s, info, f, &low, &high);
        const double diff = std::max(channelDifference(s, info, 0), channelDifference(s, info, 1));
        const double shift = info.highKey - info.rootKey;
        const double band = strongestAbove(s, info.length, 20000.0 / std::pow(2.0, shift / 12.0));
        std::printf("%2d  %3d  %-5s  %+7.2f  %7.2f  %7.2f  %+12.3f  %8.3f  %+5.2f..%+5.2f  %10.1f  %8.1f  %11.2f\n", k,
                    info.rootKey, (k & 1) ? "loud" : "soft", pitch.rootCents, pitch.spread, pitch.loopSpread, drift,
                    step, low, high, diff, band, onsetTime(s, 0.9));
    }
    std::printf(
        "(start: the held pitch 100 ms after the strike re nominal; pass: how far it moves from there to the "
        "end of a loop pass; loop: how far it moves within the loop)\n");
}

}  // namespace

int main() {
    printTimbre();
    printLevels();
    printLoops();
    return 0;
}
