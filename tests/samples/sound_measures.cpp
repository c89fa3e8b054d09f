#include "tests/samples/sound_measures.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "engine/epiano_engine.h"
#include "tests/samples/timbre_analysis.h"
#include "tools/vsthost/vst_host.h"

namespace measure {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The window and the transform are the timbre measure's.
double hann(int32_t n, int32_t count) { return timbre::hann(size_t(n), size_t(count)); }
using timbre::fft;

// Power spectrum of `n` (a power of two) frames of one channel, Hann windowed.
std::vector<double> powerSpectrum(const int16_t* s, int channel, int32_t firstFrame, int32_t n) {
    std::vector<std::complex<double>> a(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) a[size_t(i)] = s[2 * (firstFrame + i) + channel] * hann(i, n);
    fft(a);
    std::vector<double> p(size_t(n / 2));
    for (int32_t i = 0; i < n / 2; ++i) p[size_t(i)] = std::norm(a[size_t(i)]);
    return p;
}

}  // namespace

double nominalFrequency(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }
double dB(double ratio) { return 20.0 * std::log10(ratio); }

double componentLevel(const int16_t* s, int channel, int32_t firstFrame, int32_t frames, double frequency) {
    std::complex<double> sum = 0, turn = std::polar(1.0, -2 * kPi * frequency / kFrameRate), w = 1;
    double weights = 0;
    for (int32_t n = 0; n < frames; ++n, w *= turn) {
        const double h = hann(n, frames);
        sum += h * double(s[2 * (firstFrame + n) + channel]) * w;
        weights += h;
    }
    return 2.0 * std::abs(sum) / weights;
}

double refineFrequency(const int16_t* s, int channel, int32_t firstFrame, int32_t frames, double guess) {
    // Golden-section search for the peak within +-30 cents, then +-0.3 cent.
    double lo = guess * std::pow(2.0, -30 / 1200.0), hi = guess * std::pow(2.0, 30 / 1200.0);
    double best = guess, bestLevel = -1;
    for (int i = 0; i <= 60; ++i) {  // coarse scan, a cent apart
        const double f = lo * std::pow(2.0, i / 1200.0);
        const double l = componentLevel(s, channel, firstFrame, frames, f);
        if (l > bestLevel) bestLevel = l, best = f;
    }
    lo = best * std::pow(2.0, -1 / 1200.0);
    hi = best * std::pow(2.0, 1 / 1200.0);
    const double g = 0.6180339887498949;
    double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
    double la = componentLevel(s, channel, firstFrame, frames, a);
    double lb = componentLevel(s, channel, firstFrame, frames, b);
    for (int i = 0; i < 40; ++i) {
        if (la > lb) {
            hi = b, b = a, lb = la, a = hi - g * (hi - lo);
            la = componentLevel(s, channel, firstFrame, frames, a);
        } else {
            lo = a, a = b, la = lb, b = lo + g * (hi - lo);
            lb = componentLevel(s, channel, firstFrame, frames, b);
        }
    }
    return 0.5 * (lo + hi);
}

double spectralCentroid(const int16_t* s, int32_t atFrame, int32_t frames) {
    const std::vector<double> p = powerSpectrum(s, 0, atFrame - frames / 2, frames);
    double weighted = 0, total = 0;
    for (size_t i = 1; i < p.size(); ++i) {
        const double m = std::sqrt(p[i]);
        weighted += m * i * kFrameRate / frames;
        total += m;
    }
    return weighted / total;
}

double strongestAbove(const int16_t* s, int32_t values, double limit) {
    const int32_t n = 4096;
    std::vector<double> average(size_t(n / 2), 0.0);
    for (int channel = 0; channel < 2; ++channel)
        for (int32_t first = 0; 2 * (first + n) <= values; first += n / 2) {
            const std::vector<double> p = powerSpectrum(s, channel, first, n);
            for (size_t i = 0; i < p.size(); ++i) average[i] += p[i];
        }
    double above = 1e-30, strongest = 1e-30;
    for (size_t i = 1; i < average.size(); ++i) {
        strongest = std::max(strongest, average[i]);
        if (i * kFrameRate / n >= limit) above = std::max(above, average[i]);
    }
    return 10.0 * std::log10(above / strongest);
}

double rms(const int16_t* s, int32_t first, int32_t count) {
    double sum = 0;
    for (int32_t i = first; i < first + count; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / count);
}

int32_t wholeCycles(double frequency, int32_t approx) {
    const double period = 2.0 * kFrameRate / frequency;
    return int32_t(std::lround(std::max(1.0, std::round(approx / period)) * period));
}

double wrapStepRatio(const int16_t* s, const SampleInfo& info, int parity) {
    // The read position of the left output, one frame (two values) per
    // output sample, wrapping as the voice does.
    const int32_t loopLength = info.loopEnd - info.loopStart;
    const int32_t endPosition = info.loopEnd - 1;
    const int32_t before = 882, after = 88;  // 20 ms, 2 ms
    double worst = 0;
    for (int channel = 0; channel < 2; ++channel) {
        int32_t p = endPosition - 2 * before - 2;
        if ((p & 1) != parity) p -= 1;
        std::vector<int> played;
        int32_t wrapAt = -1;
        while (int32_t(played.size()) < before + after + 1) {
            p += 2;
            if (p > endPosition) p -= loopLength, wrapAt = int32_t(played.size());
            // The data as read there; a voice sitting exactly on its end
            // position is the engine's business, not the recording's.
            played.push_back(s[p + channel]);
        }
        double stepBefore = 0, stepAfter = 0;
        for (int32_t i = 1; i < int32_t(played.size()); ++i) {
            const double step = std::abs(played[size_t(i)] - played[size_t(i - 1)]);
            if (i < wrapAt)
                stepBefore = std::max(stepBefore, step);
            else
                stepAfter = std::max(stepAfter, step);
        }
        worst = std::max(worst, stepAfter / stepBefore);
    }
    return worst;
}

void crossfadeRmsRange(const int16_t* s, const SampleInfo& info, double frequency, double* low, double* high) {
    const int32_t window = wholeCycles(frequency, 1764);  // about 10 ms
    const int32_t fadeStart = info.loopEnd - kLoopCrossfadeValues;
    const double reference = rms(s, fadeStart - 4 * window, 4 * window);
    *low = 1e9, *high = -1e9;
    for (int32_t p = fadeStart; p + window <= info.loopEnd; p += window / 2) {
        const double level = dB(rms(s, p, window) / reference);
        *low = std::min(*low, level), *high = std::max(*high, level);
    }
}

double channelDifference(const int16_t* s, const SampleInfo& info, int parity) {
    double difference = 0, sum = 0;
    for (int32_t p = info.loopStart + ((info.loopStart + parity) & 1); p + 1 < info.loopEnd; p += 2) {
        const double l = s[p], r = s[p + 1];
        difference += (l - r) * (l - r);
        sum += (l + r) * (l + r);
    }
    return 10.0 * std::log10(difference / sum);
}

double onsetTime(const int16_t* s, double fraction) {
    const int32_t frames = int32_t(0.030 * kFrameRate);
    int peak = 0;
    for (int32_t i = 0; i < 2 * frames; ++i) peak = std::max(peak, std::abs(int(s[i])));
    int running = 0;
    for (int32_t i = 0; i < 2 * frames; ++i) {
        running = std::max(running, std::abs(int(s[i])));
        if (running >= fraction * peak) return 1000.0 * (i / 2) / kFrameRate;
    }
    return 1e9;
}

double Rendered::peak() const {
    float p = 0;
    for (size_t i = 0; i < left.size(); ++i) p = std::max({p, std::fabs(left[i]), std::fabs(right[i])});
    return p;
}

double Rendered::rms() const {
    double sum = 0;
    for (size_t i = 0; i < left.size(); ++i) sum += double(left[i]) * left[i] + double(right[i]) * right[i];
    return std::sqrt(sum / (2.0 * left.size()));
}

Rendered renderEvents(const std::vector<TimedEvent>& events, int32_t frames) {
    constexpr int32_t kBlock = 512;
    EpianoEngine engine;
    Rendered out;
    out.left.assign(size_t(std::max(frames, 0)), 0.f);
    out.right.assign(size_t(std::max(frames, 0)), 0.f);
    size_t next = 0;
    for (int32_t done = 0; done < frames; done += kBlock) {
        const int32_t n = std::min(kBlock, frames - done);
        engine.applyPendingChanges();
        for (; next < events.size() && events[next].frame < done + n; ++next)
            engine.midiMessage(std::max(0, events[next].frame - done), events[next].status, events[next].data1,
                               events[next].data2);
        engine.render(out.left.data() + done, out.right.data() + done, n);
    }
    return out;
}

Rendered renderNote(int key, int velocity, int32_t frames) {
    return renderEvents({{0, 0x90, (unsigned char)key, (unsigned char)velocity}}, frames);
}

std::vector<TimedEvent> denseChordPhrase(int32_t* frames) {
    // Left hand, right hand: open voicings of C, Am, F, G7, Dm9, E7, Fmaj7, C.
    static const int kChords[8][10] = {
        {24, 36, 43, 48, 52, 60, 64, 67, 72, 76}, {21, 33, 40, 45, 48, 57, 60, 64, 69, 72},
        {29, 41, 48, 53, 57, 65, 69, 72, 77, 81}, {31, 43, 50, 53, 59, 65, 67, 71, 74, 79},
        {26, 38, 45, 50, 53, 60, 64, 69, 72, 76}, {28, 40, 47, 52, 56, 62, 68, 71, 74, 80},
        {41, 48, 53, 57, 64, 72, 76, 81, 84, 88}, {36, 43, 48, 55, 60, 84, 88, 91, 96, 108},
    };
    const int32_t chordFrames = int32_t(0.6 * kFrameRate);
    std::vector<TimedEvent> events{{0, 0xB0, 64, 127}};
    for (int c = 0; c < 8; ++c) {
        const int32_t at = 64 + c * chordFrames;
        for (int i = 0; i < 10; ++i)
            events.push_back({at, 0x90, (unsigned char)kChords[c][i], (unsigned char)(127 - (i * 7 + c * 3) % 32)});
        for (int i = 0; i < 10; ++i) events.push_back({at + chordFrames / 2, 0x80, (unsigned char)kChords[c][i], 64});
    }
    *frames = 64 + 8 * chordFrames + int32_t(2 * kFrameRate);
    events.push_back({*frames - int32_t(kFrameRate), 0xB0, 64, 0});
    return events;
}

timbre::NoteTimbre noteTimbre(int key, int velocity) {
    const Rendered note = renderNote(key, velocity, int32_t(1.2 * kFrameRate));
    return timbre::measureNote(note.left, note.right, nominalFrequency(key));
}

double centroidRatio(int key, int loudVelocity, int softVelocity) {
    const int32_t frames = int32_t(0.2 * kFrameRate);
    const Rendered loud = renderNote(key, loudVelocity, frames), soft = renderNote(key, softVelocity, frames);
    return timbre::centroidAfterOnset(loud.left, loud.right, 0.05) /
           timbre::centroidAfterOnset(soft.left, soft.right, 0.05);
}

HeldPitch heldPitch(int sample) {
    const SampleInfo& info = kSampleInfo[sample];
    const int velocity = (sample & 1) ? 127 : 50;
    const int32_t loop = info.loopEnd - info.loopStart;
    // At the root a frame reads two values: the first wrap comes at loopEnd / 2.
    // At least 16 cycles a window; hop half a window.
    const double nominal = nominalFrequency(info.rootKey);
    const size_t window = std::max<size_t>(4096, size_t(16 * kFrameRate / nominal)), hop = window / 2;
    const size_t first = size_t(0.1 * kFrameRate);
    const size_t last = size_t(info.loopEnd + loop) / 2 + 1;
    const Rendered note = renderNote(info.rootKey, velocity, int32_t(last + window));
    HeldPitch result{0, 0, 0};
    double low = 1e9, high = -1e9, loopLow = 1e9, loopHigh = -1e9;
    for (size_t at = first; at <= last; at += hop) {
        const double cents = 1200.0 * std::log2(timbre::pitchOf(note.left, note.right, at, window, nominal) / nominal);
        if (at == first) result.rootCents = cents;
        low = std::min(low, cents), high = std::max(high, cents);
        if (at >= size_t(info.loopStart / 2)) loopLow = std::min(loopLow, cents), loopHigh = std::max(loopHigh, cents);
    }
    result.spread = high - low;
    result.loopSpread = loopHigh - loopLow;
    return result;
}

}  // namespace measure
