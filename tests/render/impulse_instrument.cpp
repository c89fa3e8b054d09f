// A tiny VST 2.4 instrument with known behaviour, for testing hosts. Every
// event it receives is logged with its absolute frame; its output is silence
// with an impulse where each event lands:
//   left:  note-on velocity/127 times "Level", note-off -0.25, anything else 0.125
//   right: the event's first data byte/127
// "Hum" >= 0.5 adds a constant 0.001 on the right, so the output never falls
// silent; "Broken" >= 0.5 writes NaN instead of each impulse. The editor
// (Windows) is a 200 x 120 child window painted in two known colours.
// IMPULSE_PLAIN builds a variant without an editor, with one input and three outputs.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/vst_abi.h"
#include "tests/render/impulse_instrument.h"

#ifdef _WIN32
#include <windows.h>
#define IMPULSE_EXPORT extern "C" __declspec(dllexport)
#else
#define IMPULSE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

#ifdef IMPULSE_PLAIN
constexpr VstInt32 kInputs = 1, kOutputs = 3;
constexpr bool kHasEditor = false;
#else
constexpr VstInt32 kInputs = 0, kOutputs = 2;
constexpr bool kHasEditor = true;
#endif
constexpr VstInt32 kParams = 4;
const char* const kNames[kParams] = {"Level", "Treble", "Hum", "Broken"};

// One instance at a time is all the tests need; its log outlives it.
std::vector<ImpulseEvent> eventLog;
std::string callLog;
int misplaced = 0;

struct Impulse {
    AEffect effect;
    audioMasterCallback host;
    float params[kParams] = {1.f, 0.5f, 0.f, 0.f};
    long long framesDone = 0;
    std::vector<VstMidiEvent> pending;
    ERect rect{0, 0, 120, 200};
    void* window = nullptr;
};

Impulse* of(AEffect* e) { return (Impulse*)e->object; }

void note(const std::string& token) { callLog += (callLog.empty() ? "" : " ") + token; }

#ifdef _WIN32
LRESULT CALLBACK editorProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT all = {0, 0, 200, 120}, mark = {20, 20, 60, 50};
        HBRUSH back = CreateSolidBrush(RGB(30, 60, 90)), front = CreateSolidBrush(RGB(250, 200, 10));
        FillRect(dc, &all, back);
        FillRect(dc, &mark, front);
        DeleteObject(back);
        DeleteObject(front);
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

void* openEditor(void* parent) {
    WNDCLASSA c;
    ZeroMemory(&c, sizeof(c));
    c.lpfnWndProc = editorProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "ImpulseInstrumentEditor";
    RegisterClassA(&c);
    return CreateWindowExA(0, "ImpulseInstrumentEditor", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 120, (HWND)parent,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}
void closeEditor(void* window) { DestroyWindow((HWND)window); }
#else
void* openEditor(void*) { return nullptr; }
void closeEditor(void*) {}
#endif

VstIntPtr VSTCALLBACK dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) {
    Impulse* p = of(e);
    switch (opcode) {
        case effOpen:
            note("open");
            return 0;
        case effClose:
            note("close");
            if (p->window) closeEditor(p->window);
            delete p;
            return 1;
        case effSetSampleRate:
            note("rate=" + std::to_string((int)opt));
            return 0;
        case effSetBlockSize:
            note("block=" + std::to_string((int)value));
            return 0;
        case effMainsChanged:
            note("mains=" + std::to_string((int)value));
            return 0;
        case effGetParamName:
            if (index >= 0 && index < kParams) std::strcpy((char*)ptr, kNames[index]);
            return 0;
        case effProcessEvents: {
            const VstEvents* events = (const VstEvents*)ptr;
            note("events=" + std::to_string(events->numEvents));
            for (VstInt32 i = 0; i < events->numEvents; i++)
                if (events->events[i]->type == kVstMidiType) p->pending.push_back(*(VstMidiEvent*)events->events[i]);
            return 1;
        }
        case effEditGetRect:
            if (!kHasEditor) return 0;
            *(ERect**)ptr = &p->rect;
            return 1;
        case effEditOpen:
            if (!kHasEditor) return 0;
            p->window = openEditor(ptr);
            return p->window ? 1 : 0;
        case effEditClose:
            if (p->window) closeEditor(p->window);
            p->window = nullptr;
            return 0;
        default:
            return 0;
    }
}

void VSTCALLBACK processReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 frames) {
    Impulse* p = of(e);
    note("process=" + std::to_string(frames));
    for (VstInt32 c = 0; c < kOutputs; c++)
        for (VstInt32 i = 0; i < frames; i++) outputs[c][i] = kInputs ? inputs[0][i] : 0.f;
    if (p->params[2] >= 0.5f)
        for (VstInt32 i = 0; i < frames; i++) outputs[1][i] += 0.001f;
    for (const VstMidiEvent& m : p->pending) {
        unsigned char status = (unsigned char)m.midiData[0], d1 = (unsigned char)m.midiData[1],
                      d2 = (unsigned char)m.midiData[2];
        eventLog.push_back(ImpulseEvent{p->framesDone + m.deltaFrames, {status, d1, d2}});
        if (m.deltaFrames < 0 || m.deltaFrames >= frames) {
            misplaced++;
            continue;
        }
        float left = 0.125f;
        if ((status & 0xF0) == 0x90 && d2 > 0) left = d2 / 127.f * p->params[0];
        else if ((status & 0xF0) == 0x80 || (status & 0xF0) == 0x90) left = -0.25f;
        if (p->params[3] >= 0.5f) left = NAN;
        outputs[0][m.deltaFrames] += left;
        outputs[1][m.deltaFrames] += d1 / 127.f;
    }
    p->pending.clear();
    p->framesDone += frames;
}

void VSTCALLBACK process(AEffect*, float**, float**, VstInt32) {}
void VSTCALLBACK setParameter(AEffect* e, VstInt32 index, float value) {
    if (index >= 0 && index < kParams) of(e)->params[index] = value;
}
float VSTCALLBACK getParameter(AEffect* e, VstInt32 index) {
    return index >= 0 && index < kParams ? of(e)->params[index] : 0.f;
}

}  // namespace

IMPULSE_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) {
    VstIntPtr version = host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.f);
    eventLog.clear();
    callLog.clear();
    misplaced = 0;
    note("version=" + std::to_string((long)version));
    if (!version) return nullptr;
    Impulse* p = new Impulse;
    std::memset(&p->effect, 0, sizeof(p->effect));
    p->host = host;
    AEffect& e = p->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatcher;
    e.process = process;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = 1;
    e.numParams = kParams;
    e.numInputs = kInputs;
    e.numOutputs = kOutputs;
    e.flags = effFlagsCanReplacing | effFlagsIsSynth | (kHasEditor ? effFlagsHasEditor : 0);
    e.ioRatio = 1.f;
    e.object = p;
    e.uniqueID = fourCharCode('I', 'm', 'p', 'T');
    e.version = 1;
    e.processReplacing = processReplacing;
    return &e;
}

IMPULSE_EXPORT const ImpulseEvent* impulseEvents(int* count) {
    *count = (int)eventLog.size();
    return eventLog.data();
}
IMPULSE_EXPORT const char* impulseCalls() { return callLog.c_str(); }
IMPULSE_EXPORT int impulseMisplaced() { return misplaced; }
