// How the instrument describes itself to the host.
#include <cstring>

#include "plugin/qelt_epiano.h"
#include "plugin/qelt_identity.h"

bool QeltEpiano::getEffectName(char* name) {
    std::strcpy(name, kQeltEffectName);
    return true;
}

bool QeltEpiano::getVendorString(char* text) {
    std::strcpy(text, kQeltVendor);
    return true;
}

bool QeltEpiano::getProductString(char* text) { return getEffectName(text); }

VstInt32 QeltEpiano::canDo(char* text) {
    if (std::strcmp(text, "receiveVstEvents") == 0) return 1;
    if (std::strcmp(text, "receiveVstMidiEvent") == 0) return 1;
    return -1;
}

bool QeltEpiano::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (index != 0 && index != 1) return false;
    std::strcpy(properties->label, "ePiano");
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}
