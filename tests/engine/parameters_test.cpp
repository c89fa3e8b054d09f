// The program and its parameters as the host sees them, and what a change
// does to the engine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "tests/engine/engine_test_util.h"
#include "tests/engine/synthetic_samples.h"

namespace {

std::string display(EpianoEngine& e, int index, float value) {
    e.setParameter(index, value);
    char text[64];
    std::memset(text, 'x', sizeof(text));
    e.parameterDisplay(index, text);
    return text;
}

std::string call(void (*get)(int32_t, char*), int index) {
    char text[64] = {};
    get(index, text);
    return text;
}

std::string displayOf(const EpianoEngine& e, int index) {
    char text[64] = {};
    e.parameterDisplay(index, text);
    return text;
}

TEST(Parameters, NamesAndLabelsAsTabled) {
    auto e = synth::makeEngine();
    const char* names[] = {"Sustain", "Treble", "LFO depth", "LFO Rate", "Volume"};
    const char* labels[] = {"%", "%", "%", "Hz", "dB"};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(call(&EpianoEngine::parameterName, i), names[i]);
        EXPECT_EQ(call(&EpianoEngine::parameterLabel, i), labels[i]);
    }
    EXPECT_EQ(call(&EpianoEngine::parameterName, 5), "") << "nothing written";
    EXPECT_EQ(call(&EpianoEngine::parameterLabel, 60), "%");
    EXPECT_EQ(call(&EpianoEngine::parameterLabel, -3), "%");
}

TEST(Parameters, DefaultsAndDisplays) {
    auto e = synth::makeEngine();
    const float defaults[] = {0.5f, 0.5f, 0.5f, 0.65f, 1.f};
    const char* shown[] = {"50", "0", "Pan 0", "4.19", "0"};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(e->getParameter(i), defaults[i]);
        EXPECT_EQ(displayOf(*e, i), shown[i]) << i;
    }
    EXPECT_EQ(display(*e, kSustain, 0.f), "0");
    EXPECT_EQ(display(*e, kSustain, 1.f), "100");
    EXPECT_EQ(display(*e, kTreble, 1.f), "50");
    EXPECT_EQ(display(*e, kTreble, 0.f), "-50");
    EXPECT_EQ(display(*e, kLfoDepth, 0.75f), "Trem 50");
    EXPECT_EQ(display(*e, kLfoDepth, 1.f), "Trem 100");
    EXPECT_EQ(display(*e, kLfoDepth, 0.25f), "Pan 50");
    EXPECT_EQ(display(*e, kLfoDepth, 0.f), "Pan 100");
    EXPECT_EQ(display(*e, kLfoRate, 0.f), "0.07");
    EXPECT_EQ(display(*e, kLfoRate, 1.f), "36.97");
    EXPECT_EQ(display(*e, kVolume, 0.5f), "-6");
    EXPECT_EQ(display(*e, kVolume, 0.f), "-inf");
    EXPECT_EQ(display(*e, kVolume, 0.05f), "-26") << "truncated toward zero";
    EXPECT_EQ(display(*e, kSustain, 123456.f), "12345600");
    EXPECT_EQ(display(*e, kSustain, 1e30f), "10000000") << "cut to 8 characters";
    EXPECT_EQ(display(*e, 5, 1.f), "");
    EXPECT_EQ(display(*e, 60, 1.f), "");
}

TEST(Parameters, RecalculateDerivesTheOutputStage) {
    auto e = synth::makeEngine();
    e->setParameter(kTreble, 1.f);
    e->applyPendingChanges();
    EXPECT_EQ(e->outputStage().trebleAmount, 3.f);
    EXPECT_EQ(e->outputStage().trebleCoefficient, 1.f - (float)std::exp(-(double)(14000.f * (1.f / 44100.f))));
    e->setParameter(kTreble, 0.5f);
    e->applyPendingChanges();
    EXPECT_EQ(e->outputStage().trebleAmount, 0.f);
    EXPECT_NEAR(e->outputStage().trebleCoefficient, 1.f - std::exp(-5000.f / 44100.f), 1e-7f);
    e->setParameter(kLfoDepth, 0.8f);
    e->applyPendingChanges();
    EXPECT_NEAR(e->outputStage().lfoDepthLeft, 0.6f, 1e-6f);
    EXPECT_EQ(e->outputStage().lfoDepthRight, e->outputStage().lfoDepthLeft);
    e->setParameter(kLfoDepth, 0.2f);
    e->applyPendingChanges();
    EXPECT_NEAR(e->outputStage().lfoDepthLeft, -0.6f, 1e-6f);
    EXPECT_NEAR(e->outputStage().lfoDepthRight, 0.6f, 1e-6f);
    EXPECT_NEAR(e->outputStage().lfoIncrement, std::exp(6.22 * 0.65 - 2.61) / 44100.0 * 6.283, 1e-8);
    e->setParameter(kVolume, 0.25f);
    e->applyPendingChanges();
    EXPECT_EQ(e->outputVolumeValue(), 0.25f);
    EXPECT_EQ(e->reciprocalSampleRate(), 0.000022675737f);
}

TEST(Parameters, AChangeKeepsTheNotesAndTheQueue) {
    auto e = synth::makeEngine();
    MidiList chord;
    for (int k : {48, 55, 60}) chord.add(0, 0x90, k, 100);
    renderBlock(*e, 64, &chord);
    const Voice before = e->voice(0);
    MidiList later = noteOn(10, 67, 100);
    sendMidi(*e, later);
    e->setParameter(kVolume, 0.5f);
    e->setParameter(kTreble, 0.9f);
    renderBlock(*e, 64);
    ASSERT_EQ(e->voiceCount(), 4) << "the queued note still starts";
    EXPECT_EQ(e->voice(0).decay, before.decay);
    EXPECT_GT(e->voice(0).level, before.level * 0.99f);
    EXPECT_EQ(e->outputVolumeValue(), 0.5f);
}

TEST(Parameters, KeysOnTheParameterEntry) {
    auto e = synth::makeEngine();
    e->setParameter(60, 1.f);
    EXPECT_EQ(e->getParameter(60), 0.f);
    renderBlock(*e, 1);
    ASSERT_EQ(e->voiceCount(), 1);
    EXPECT_EQ(e->voice(0).note, 60);
    const float held = e->voice(0).decay;
    EXPECT_EQ(e->voice(0).level, 0.0078f * 100.f * 5.f * held) << "velocity 100, one frame played";
    e->setParameter(60, 0.f);
    renderBlock(*e, 1);
    EXPECT_LT(e->voice(0).decay, held) << "released";
    e->setParameter(127, 0.3f);  // any non-zero value presses the key
    renderBlock(*e, 1);
    EXPECT_EQ(e->voiceCount(), 2);
}

TEST(Parameters, IgnoredIndicesAndValues) {
    auto e = synth::makeEngine();
    for (int index : {5, 12, 20, 128, 129, 1000, -1, -2147483647 - 1}) e->setParameter(index, 1.f);
    renderBlock(*e, 1);
    EXPECT_EQ(e->voiceCount(), 0);
    for (int i = 0; i < 5; i++)
        for (float bad : {NAN, INFINITY, -INFINITY}) {
            float before = e->getParameter(i);
            e->setParameter(i, bad);
            EXPECT_EQ(e->getParameter(i), before);
        }
    for (int index : {5, 20, 21, 60, 128, -1}) EXPECT_EQ(e->getParameter(index), 0.f);
    // Finite values outside 0..1 are kept as they are.
    e->setParameter(kTreble, 1.5f);
    EXPECT_EQ(e->getParameter(kTreble), 1.5f);
    e->applyPendingChanges();
    EXPECT_EQ(e->outputStage().trebleAmount, 4.f * 1.5f * 1.5f - 1.f);
}

TEST(Parameters, ValuesAreSeenAtOnceAndAppliedInOrder) {
    auto e = synth::makeEngine();
    e->setParameter(kVolume, 0.1f);
    e->setParameter(kVolume, 0.7f);
    e->setParameter(kTreble, 0.9f);
    EXPECT_EQ(e->getParameter(kVolume), 0.7f);
    EXPECT_EQ(e->outputVolumeValue(), 1.f) << "the audio side takes it at its next block";
    renderBlock(*e, 0);
    EXPECT_EQ(e->outputVolumeValue(), 0.7f);
    EXPECT_EQ(e->program().param[kTreble], 0.9f);
}

TEST(Parameters, EveryChangeGetsThroughEvenWhenNothingRendersForLong) {
    auto e = synth::makeEngine();
    for (int i = 0; i < 5000; i++) e->setParameter(i % 5, (i % 97) / 100.f);
    e->setParameter(kVolume, 0.33f);
    e->setSampleRate(48000.f);
    renderBlock(*e, 8);
    for (int i = 0; i < 5; i++) EXPECT_EQ(e->program().param[i], e->getParameter(i)) << i;
    EXPECT_EQ(e->outputVolumeValue(), 0.33f);
    EXPECT_EQ(e->engineSampleRate(), 48000.f);
}

TEST(Programs, OneProgramCalledDefault) {
    auto e = synth::makeEngine();
    char name[64];
    e->getProgramName(name);
    EXPECT_STREQ(name, "Default");
}

TEST(Programs, NamesAreStoredAndCutTo23Characters) {
    auto e = synth::makeEngine();
    char mine[] = "Rhodes on a rainy day";
    e->setProgramName(mine);
    char name[64];
    e->getProgramName(name);
    EXPECT_STREQ(name, "Rhodes on a rainy day");
    char longName[] = "A name that is far too long for the field";
    e->setProgramName(longName);
    std::memset(name, 'x', sizeof(name));
    e->getProgramName(name);
    EXPECT_EQ(std::string(name), std::string(longName).substr(0, 23));
    char empty[] = "";
    e->setProgramName(empty);
    e->getProgramName(name);
    EXPECT_STREQ(name, "");
}

TEST(Programs, SelectingTheProgramSilencesAndRederives) {
    auto e = synth::makeEngine();
    MidiList on = noteOn(0, 60, 100);
    renderBlock(*e, 32, &on);
    e->selectProgram();
    Stereo out = renderBlock(*e, 32);
    for (float x : out.left) ASSERT_EQ(x, 0.f);
}

}  // namespace

// A reset in place (a host's re-activation) leaves nothing of what was
// played, set or still waiting: the same object then sounds as a new engine.
TEST(Programs, AResetSoundsAsANewEngineInPlace) {
    auto used = synth::makeEngine();
    const EpianoEngine* const address = used.get();
    MidiList history;
    history.add(0, 0xB0, 64, 127);
    history.add(0, 0xB0, 1, 90);
    history.add(0, 0xB0, 7, 30);
    for (int key : {40, 52, 64, 76}) history.add(5, 0x90, key, 110);
    used->setParameter(kTreble, 0.9f);
    used->setParameter(kLfoDepth, 0.2f);
    used->setSampleRate(48000.f);
    renderBlock(*used, 700, &history);
    history.messages.resize(4);  // queued and waiting, as are these changes
    sendMidi(*used, history);
    used->setParameter(kVolume, 0.1f);
    used->setProgramName("played");
    used->reset();
    ASSERT_EQ(used.get(), address);
    auto fresh = synth::makeEngine();
    MidiList phrase;
    for (int key : {45, 57, 69}) phrase.add(3, 0x90, key, 100);
    phrase.add(200, 0x80, 57, 0);
    for (int b = 0; b < 4; b++) {
        Stereo a = renderBlock(*used, 256, b ? nullptr : &phrase), f = renderBlock(*fresh, 256, b ? nullptr : &phrase);
        ASSERT_EQ(std::memcmp(a.left.data(), f.left.data(), 256 * 4), 0) << "block " << b;
        ASSERT_EQ(std::memcmp(a.right.data(), f.right.data(), 256 * 4), 0) << "block " << b;
    }
    for (int i = 0; i < kNumParams; i++) EXPECT_EQ(used->getParameter(i), fresh->getParameter(i));
    char name[kProgramNameSize];
    used->getProgramName(name);
    EXPECT_STREQ(name, "Default");
}
