// The names and the unique ID every format shows hosts, in one place.
#pragma once

constexpr const char* kQeltEffectName = "Qelt ePiano";
constexpr const char* kQeltVendor = "Qelt";
// The VST 2 unique ID, 'QZEP': VST 3 derives its class IDs from it.
constexpr char kQeltUniqueId[4] = {'Q', 'Z', 'E', 'P'};
