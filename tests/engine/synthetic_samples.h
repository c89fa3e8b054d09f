// Recordings the tests control: 22 short stereo arrays with the real zones'
// keys, small loops (odd and even lengths) and known contents.
#pragma once

#include <memory>

#include "engine/epiano_engine.h"

namespace synth {

// Layout of every test recording: `kLength` values, loop from `loopStart(k)`
// to `loopEnd(k)`; loops of odd entries have odd lengths.
constexpr int kLength = 6000;
int32_t loopStart(int k);
int32_t loopEnd(int k);

// Value `i` of recording `k`; the default contents: left and right follow
// different, mostly smooth curves with a few full-scale jumps.
int16_t value(int k, int i);

// The arrays (writable so a test can shape a recording; restore() undoes it).
int16_t* array(int k);
void restore();

EngineSamples samples();
const SampleInfo* info();

// An engine playing these recordings.
std::unique_ptr<EpianoEngine> makeEngine();

}  // namespace synth
