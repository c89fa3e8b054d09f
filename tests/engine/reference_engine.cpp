#include "tests/engine/reference_engine.h"

#include <cmath>

namespace {
float ex(float x) { return (float)std::exp((double)x); }
}  // namespace

ReferenceEngine::ReferenceEngine(const int16_t* const* samples, const SampleInfo* info) : data(samples) {
    buildSampleZones(zones, info);
    silence();
    recalc();
}

void ReferenceEngine::silence() {
    for (V& v : voice) {
        v.level = 0.f;
        v.decay = 0.99f;
    }
}

void ReferenceEngine::recalc() {
    float t = param[1], d = param[2];
    amount = 4.f * t * t - 1.f;
    coefficient = 1.f - ex(-((t > 0.5f ? 14000.f : 5000.f) * inverse));
    depthL = depthR = 2.f * d - 1.f;
    if (d < 0.5f) depthR = 1.f - 2.f * d;
    increment = ex(6.22f * param[3] - 2.61f) * inverse * 6.283f;
    volume = param[4];
}

void ReferenceEngine::setParameter(int32_t index, float value) {
    if (index < 5) {
        param[index] = value;
        recalc();
    } else {
        note(index, value != 0.f ? 100 : 0);
    }
}

void ReferenceEngine::setSampleRate(float r) {
    rate = r;
    inverse = 1.f / r;
    increment = ex(6.22f * param[3] - 2.61f) * inverse * 6.283f;
    for (int32_t i = 0; i < active; i++) voice[i].step = noteStep(voice[i].key, zones[voice[i].sample].rootKey, inverse);
}

void ReferenceEngine::note(int32_t key, int32_t velocity) {
    if (velocity > 0) {
        int32_t vi = 0;
        if (active < 32) {
            vi = active++;
        } else {
            float low = 99.f;
            for (int32_t i = 0; i < 32; i++)
                if (voice[i].level < low) low = voice[i].level, vi = i;
        }
        V& v = voice[vi];
        int32_t s = chooseSample(zones, key, velocity);
        v.sample = s;
        v.step = noteStep(key, zones[s].rootKey, inverse);
        v.fraction = 0;
        v.position = 0;
        v.end = zones[s].loopEnd - 1;
        v.loop = zones[s].loopLength;
        v.level = 0.0078f * (float)velocity * 5.f;
        if (key > 60) v.level *= ex((float)(60 - key) * 0.01f);
        v.note = v.key = key;
        int32_t k = key < 21 ? 21 : key > 108 ? 108 : key;
        v.gr = channel + channel * 0.015f * (float)(k - 60);
        v.gl = 2.f * channel - v.gr;
        v.decay = ex(-(ex(0.03f * (float)(k < 44 ? 44 : k) - 2.f) * inverse));
    } else {
        for (V& v : voice)
            if (v.note == key) {
                if (pedal)
                    v.note = 128;
                else
                    v.decay = ex(-(ex(6.f + 0.01f * (float)key - 5.f * param[0]) * inverse));
            }
    }
}

// Stable by frame, and without a limit: the engine's queue must sound the
// same as this one whenever it gives way only to releases that change nothing.
void ReferenceEngine::enqueue(int32_t frame, int32_t key, int32_t velocity) {
    size_t at = queue.size();
    while (at > 0 && queue[at - 3] > frame) at -= 3;
    queue.insert(queue.begin() + (long)at, {frame, key, velocity});
}

void ReferenceEngine::processEvents(const MidiList& events) {
    for (const MidiList::Message& message : events.messages) {
        const MidiList::Message* m = &message;
        int32_t kind = m->status & 0xF0, d1 = m->data1, d2 = m->data2;
        if (kind == 0x80) enqueue(m->frame, d1 & 0x7F, 0);
        if (kind == 0x90) enqueue(m->frame, d1 & 0x7F, d2 & 0x7F);
        if (kind == 0xB0 && d1 == 1 && d2 * 0.0078f > 0.05f) {
            depthL = depthR = d2 * 0.0078f;
            if (param[2] < 0.5f) depthR = -depthL;
        }
        if (kind == 0xB0 && d1 == 7) channel = (float)(d2 * d2) * 0.00002f;
        if (kind == 0xB0 && (d1 == 64 || d1 == 66)) {
            pedal = d2 & 0x40;
            if (!pedal) enqueue(m->frame, 128, 0);
        }
        if (kind == 0xB0 && d1 >= 123) {
            for (V& v : voice) v.decay = 0.99f;
            pedal = 0;
        }
        if (kind == 0xC0 && d1 == 0) silence(), recalc();
    }
}

void ReferenceEngine::process(float* left, float* right, int32_t frames) {
    if (frames <= 0) {  // nothing plays; the events wait for the next block's first frame
        for (size_t e = 0; e < queue.size(); e += 3) queue[e] = 0;
        return;
    }
    size_t e = 0;
    for (int32_t f = 0; f < frames; f++) {
        while (e < queue.size() && queue[e] <= f) {
            if (active == 0 && param[2] > 0.5f) sine = -0.7071f, cosine = 0.7071f;
            note(queue[e + 1], queue[e + 2]);
            e += 3;
        }
        float a = 0.f, b = 0.f;
        for (int32_t i = 0; i < active; i++) {
            V& v = voice[i];
            float x, y;
            referenceVoiceFrame(data[v.sample], v.step, v.end, v.loop, v.decay, v.fraction, v.position, v.level, x, y);
            a += v.gl * x;
            b += v.gr * y;
        }
        lowL = lowL + (a - lowL) * coefficient;
        lowR = lowR + (b - lowR) * coefficient;
        float yl = a + (a - lowL) * amount, yr = b + (b - lowR) * amount;
        sine = sine + increment * cosine;
        cosine = cosine - sine * increment;
        float l = (yl + cosine * (depthL * yl)) * volume, r = (yr + cosine * (depthR * yr)) * volume;
        // Only normal numbers reach the host; anything else is written as 0.
        left[f] = std::fpclassify(l) == FP_NORMAL ? l : 0.f;
        right[f] = std::fpclassify(r) == FP_NORMAL ? r : 0.f;
    }
    if (std::fabs(lowL) < 1e-10f) lowL = 0.f;
    if (std::fabs(lowR) < 1e-10f) lowR = 0.f;
    for (int32_t i = 0; i < active; i++)
        if (voice[i].level < 0.0001f) voice[i] = voice[--active];
    queue.clear();
}

void referenceVoiceFrame(const int16_t* s, int32_t step, int32_t end, int32_t loop, float decay, int32_t& fraction,
                         int32_t& position, float& level, float& x, float& y) {
    fraction += step;
    position += 2 * (fraction >> 16);
    fraction &= 0xFFFF;
    if (position > end) position -= loop;
    x = y = 0.f;
    if (position <= end) {
        int32_t p = position;
        int32_t l = s[p] + (int32_t)((int64_t)(s[p + 2] - s[p]) * fraction) / 65536;
        int32_t r = s[p + 1] + (int32_t)((int64_t)(s[p + 3] - s[p + 1]) * fraction) / 65536;
        // (division rounds toward zero, the shift toward minus infinity)
        if ((int32_t)((int64_t)(s[p + 2] - s[p]) * fraction) % 65536 < 0) l -= 1;
        if ((int32_t)((int64_t)(s[p + 3] - s[p + 1]) * fraction) % 65536 < 0) r -= 1;
        x = (float)l * level * (1.f / 32768.f);
        y = (float)r * level * (1.f / 32768.f);
    }
    level = level * decay;
}

void referenceMixFrames(Voice* voices, const int16_t* const* data, int32_t count, int32_t frames, float* left,
                        float* right) {
    for (int32_t f = 0; f < frames; f++) {
        float a = 0.f, b = 0.f;
        for (int32_t i = 0; i < count; i++) {
            Voice& v = voices[i];
            float x, y;
            referenceVoiceFrame(data[v.sampleIndex], v.step, v.endPosition, v.loopLength, v.decay, v.fraction,
                                v.position, v.level, x, y);
            a += v.gainLeft * x;
            b += v.gainRight * y;
        }
        left[f] = a;
        right[f] = b;
    }
}
