// The timbre of both layers as the instrument plays them (default parameters),
// measured as the real tine piano's reference figures are, against those figures.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "tests/samples/sound_measures.h"
#include "tests/samples/tine_reference.h"

using namespace measure;

namespace {

constexpr double kReferenceTolerance = 8.0;  // dB, attack and body brightness of the loud layer
constexpr double kMinTilt = 35.0, kMaxTilt = 60.0;
constexpr double kSofterBy[2] = {6.0, 20.0};  // soft attack brightness below the loud one
constexpr double kBodyBelowAttack = 4.0;
constexpr double kMaxZoneStep = 6.0;
constexpr double kMinBark = 1.5;  // loud over soft centroid at 50 ms
constexpr int kHighestBarkingKey = 72;

// Every note is rendered and measured once for the whole file.
const timbre::NoteTimbre& measured(int key, int velocity) {
    static std::map<std::pair<int, int>, timbre::NoteTimbre> cache;
    auto found = cache.find({key, velocity});
    if (found == cache.end()) found = cache.emplace(std::make_pair(key, velocity), noteTimbre(key, velocity)).first;
    return found->second;
}

double attack(int key, int velocity) { return measured(key, velocity).attack.brightness; }
double body(int key, int velocity) { return measured(key, velocity).body.brightness; }

TEST(Timbre, LoudLayerIsWithinTheToleranceOfTheRealTinePiano) {
    for (const TineReference& r : kTineReference) {
        EXPECT_NEAR(attack(r.key, kLoudVelocity), r.attackBrightness, kReferenceTolerance) << "attack, key " << r.key;
        EXPECT_NEAR(body(r.key, kLoudVelocity), r.bodyBrightness, kReferenceTolerance) << "body, key " << r.key;
    }
}

TEST(Timbre, BothLayersTiltFromGrowlToSine) {
    for (int velocity : {kLoudVelocity, kSoftVelocity}) {
        const double tilt = attack(kTiltLowKey, velocity) - attack(kTiltHighKey, velocity);
        EXPECT_GE(tilt, kMinTilt) << "velocity " << velocity;
        EXPECT_LE(tilt, kMaxTilt) << "velocity " << velocity;
        for (size_t i = 1; i < sizeof kTineReference / sizeof kTineReference[0]; ++i)
            EXPECT_LT(attack(kTineReference[i].key, velocity), attack(kTineReference[i - 1].key, velocity))
                << "velocity " << velocity << ", key " << kTineReference[i].key;
    }
}

TEST(Timbre, SofterStrikeIsPurer) {
    for (const TineReference& r : kTineReference) {
        const double softer = attack(r.key, kLoudVelocity) - attack(r.key, kSoftVelocity);
        EXPECT_GE(softer, kSofterBy[0]) << "key " << r.key;
        EXPECT_LE(softer, kSofterBy[1]) << "key " << r.key;
    }
}

TEST(Timbre, OvertonesDieFasterThanTheFundamental) {
    for (const TineReference& r : kTineReference)
        for (int velocity : {kLoudVelocity, kSoftVelocity})
            EXPECT_LE(body(r.key, velocity), attack(r.key, velocity) - kBodyBelowAttack)
                << "key " << r.key << ", velocity " << velocity;
}

TEST(Timbre, NeighbouringZonesJoinSmoothly) {
    for (int z = 0; z + 1 < kNumSamples / 2; ++z) {
        const int key = kSampleInfo[2 * z].highKey;
        for (int velocity : {kLoudVelocity, kSoftVelocity})
            EXPECT_LE(std::fabs(attack(key + 1, velocity) - attack(key, velocity)), kMaxZoneStep)
                << "keys " << key << "/" << key + 1 << ", velocity " << velocity;
    }
}

TEST(Timbre, LoudLayerBarksUpToTheMiddle) {
    for (const TineReference& r : kTineReference) {
        if (r.key > kHighestBarkingKey) continue;
        EXPECT_GE(centroidRatio(r.key, kLoudVelocity, kSoftVelocity), kMinBark) << "key " << r.key;
    }
}

}  // namespace
