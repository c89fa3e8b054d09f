// The messages between the controller and the processor, the only way the
// two halves talk: a key clicked in the editor, and the keys the processor
// plays, asked for at the editor's idle and answered as 128 bytes.
#pragma once

#include <cstdint>
#include <cstring>

#include "plugin/vst3/vst3_abi.h"

namespace v3 {

// Controller -> processor: an on-screen key goes down or up.
constexpr const char* kKeyMessage = "QeltKey";
constexpr const char* kKeyAttribute = "key";    // int: 0..127
constexpr const char* kDownAttribute = "down";  // int: non-zero pressed
// Controller -> processor: the editor wants to know which keys sound.
constexpr const char* kWantKeysMessage = "QeltWantKeys";
// Processor -> controller: binary, one byte per key 0..127, non-zero sounding.
constexpr const char* kKeysMessage = "QeltKeys";
constexpr const char* kKeysAttribute = "keys";
constexpr uint32 kKeyCount = 128;

inline bool isMessage(IMessage* message, const char* id) {
    const char* got = message ? message->getMessageID() : nullptr;
    return got && std::strcmp(got, id) == 0;
}

// A new message with that ID from the host's context, or null.
inline IMessage* newMessage(IHostApplication* host, const char* id) {
    if (!host) return nullptr;
    Tuid iid = IMessage::iid;
    void* made = nullptr;
    if (host->createInstance(iid.bytes, iid.bytes, &made) != kResultOk || !made) return nullptr;
    IMessage* message = static_cast<IMessage*>(made);
    message->setMessageID(id);
    return message;
}

// Sends a message made by `newMessage` to `peer` and lets go of it.
inline tresult sendMessage(IConnectionPoint* peer, IMessage* message) {
    if (!message) return kResultFalse;
    tresult result = peer ? peer->notify(message) : kResultFalse;
    message->release();
    return result;
}

// The host application of an initialize context, with a reference, or null.
inline IHostApplication* hostApplicationOf(FUnknown* context) {
    void* found = nullptr;
    if (!context || context->queryInterface(IHostApplication::iid.bytes, &found) != kResultOk) return nullptr;
    return static_cast<IHostApplication*>(found);
}

}  // namespace v3
