// The recordings embedded in the library, loops prepared, and the engine that
// plays them by default.
#include "engine/epiano_engine.h"

EngineSamples librarySamples() { return EngineSamples{preparedSamples(), kSampleInfo}; }

EpianoEngine::EpianoEngine() { construct(librarySamples()); }
