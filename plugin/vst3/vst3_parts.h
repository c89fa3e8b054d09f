// The module's two classes, made by the factory.
#pragma once

#include "plugin/vst3/vst3_abi.h"

// New objects with one reference, for the caller; null when out of memory.
v3::IComponent* newVst3Processor();
v3::IEditController* newVst3Controller();
