#include "gui/x11/x11_clients.h"

// The request is sent by hand: the library that wraps it is not one every
// desktop has. Last: it defines macros (min, max) that the standard headers
// would trip on.
#include <X11/Xlibint.h>

namespace VSTGUI {

namespace {

// The X-Resource extension's QueryClients request and its reply: a count,
// then each client's resource-id base and mask.
constexpr CARD8 kQueryClients = 1;

struct QueryClientsRequest {
    CARD8 majorOpcode;
    CARD8 minorOpcode;
    CARD16 length;  // in 4-byte units
};

struct QueryClientsReply {
    BYTE type;
    BYTE pad1;
    CARD16 sequenceNumber;
    CARD32 length;  // 4-byte units after these 32 bytes
    CARD32 clientCount;
    CARD32 pad[5];
};

struct ClientIds {
    CARD32 base;
    CARD32 mask;
};

static_assert(sizeof(QueryClientsRequest) == 4, "the request is one word");
static_assert(sizeof(QueryClientsReply) == 32, "a reply's fixed part is 32 bytes");
static_assert(sizeof(ClientIds) == 8, "two words per client");

constexpr unsigned long kWordsPerClient = sizeof(ClientIds) / 4;

}  // namespace

bool isIdOfLiveClient(Display* display, XID id) {
    int major = 0, firstEvent = 0, firstError = 0;
    if (!display || !id || !XQueryExtension(display, "X-Resource", &major, &firstEvent, &firstError)) return false;

    bool found = false;
    LockDisplay(display);
    auto* request = static_cast<QueryClientsRequest*>(
        _XGetRequest(display, static_cast<CARD8>(major), sizeof(QueryClientsRequest)));
    request->minorOpcode = kQueryClients;
    QueryClientsReply reply;
    if (_XReply(display, reinterpret_cast<xReply*>(&reply), 0, xFalse)) {
        // No more than the reply holds, whatever its count says.
        const unsigned long held = reply.length / kWordsPerClient;
        const unsigned long count = reply.clientCount < held ? reply.clientCount : held;
        for (unsigned long i = 0; i < count; ++i) {
            ClientIds client;
            _XRead(display, reinterpret_cast<char*>(&client), sizeof(client));
            // Base 0 is the server's own: nothing of it waits to be sent.
            if (client.base != 0 && (id & ~static_cast<XID>(client.mask)) == client.base) found = true;
        }
        _XEatDataWords(display, reply.length - count * kWordsPerClient);
    }
    UnlockDisplay(display);
    if (display->synchandler) display->synchandler(display);
    return found;
}

}  // namespace VSTGUI
