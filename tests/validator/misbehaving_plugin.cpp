// A small instrument with one fault of a kind the validator must catch,
// chosen when it is built (QELT_FAULT); built without one it plays a
// decaying tone per note and must pass. With QELT_X11_EDITOR its editor is
// an empty child window in the host's X window.
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "editor/aeffeditor.h"
#include "plugin/audioeffectx.h"
#include "plugin/plugin_entry.h"

#ifdef QELT_X11_EDITOR
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>

#include <cstdint>
#endif

namespace {

enum Fault { kNone, kAllocates, kLocks, kLeaks, kRings, kSubnormal, kNotANumber, kForgets };
constexpr Fault kFault = (Fault)QELT_FAULT;
constexpr int kNumParams = 5;
constexpr float kDecayPerFrame = 0.999f;
constexpr float kSilent = 1e-6f;

#ifdef QELT_X11_EDITOR
int ignoreError(Display*, XErrorEvent*) { return 0; }

// A child window in the parent; for a parent that a connected client has
// made but not sent to the server yet, at the first idle after it has.
// Every other parent is refused. The host's error handler is swapped out
// only around the editor's own checked requests.
class ChildWindowEditor : public AEffEditor {
public:
    ChildWindowEditor() {}
    ~ChildWindowEditor() override { close(); }
    bool open(void* window) override {
        close();
        parent = (Window)(uintptr_t)window;
        if (!parent || !(display = XOpenDisplay(nullptr))) return false;
        if (!makeChild() && !ofLiveClient()) {
            close();
            return false;
        }
        AEffEditor::open(window);
        return true;
    }
    void idle() override {
        if (display && !child) makeChild();
    }
    void close() override {
        if (display) XCloseDisplay(display);  // the child goes with the connection
        display = nullptr;
        child = 0;
        AEffEditor::close();
    }

private:
    bool makeChild() {
        XErrorHandler host = XSetErrorHandler(ignoreError);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, parent, &attributes)) {
            child = XCreateSimpleWindow(display, parent, 0, 0, 200, 100, 0, 0, 0);
            XMapWindow(display, child);
        }
        XSync(display, False);
        XSetErrorHandler(host);
        return child != 0;
    }
    bool ofLiveClient() {
        int count = 0;
        XResClient* clients = nullptr;
        bool found = false;
        if (XResQueryClients(display, &count, &clients)) {
            for (int i = 0; i < count; i++)
                found |= clients[i].resource_base && (parent & ~clients[i].resource_mask) == clients[i].resource_base;
            XFree(clients);
        }
        return found;
    }

    Display* display = nullptr;
    Window parent = 0, child = 0;
};
#endif

class Misbehaving : public AudioEffectX {
public:
    explicit Misbehaving(audioMasterCallback host) : AudioEffectX(host, 1, kNumParams) {
        setNumInputs(0);
        setNumOutputs(2);
        isSynth(true);
        std::strcpy(name, "Default");
        if (kFault == kLeaks) leaked = new char[4096];
#ifdef QELT_X11_EDITOR
        setEditor(new ChildWindowEditor());
#endif
    }

    VstInt32 processEvents(VstEvents* events) override {
        if (kFault == kLocks) std::lock_guard<std::mutex> hold(lock);
        VstEvent* const* list = events->events;
        for (VstInt32 i = 0; i < events->numEvents; i++) {
            const VstMidiEvent* m = (const VstMidiEvent*)list[i];
            if (m->type == kVstMidiType && (m->midiData[0] & 0xF0) == 0x90 && m->midiData[2]) level = 0.5f;
        }
        return 1;
    }

    void processReplacing(float**, float** outputs, VstInt32 frames) override {
        if (kFault == kAllocates) std::vector<float> scratch(frames + 1);
        for (VstInt32 f = 0; f < frames; f++) {
            float x = level * std::sin(phase += 0.05f);
            level = level * kDecayPerFrame < kSilent ? 0.f : level * kDecayPerFrame;
            if (kFault == kRings) x = 0.25f;
            if (kFault == kSubnormal && f == 0) x = 1e-40f;
            if (kFault == kNotANumber && f == 0) x = NAN;
            outputs[0][f] = outputs[1][f] = x;
        }
    }

    void setParameter(VstInt32 index, float value) override {
        if (index >= 0 && index < kNumParams && kFault != kForgets) values[index] = value;
    }
    float getParameter(VstInt32 index) override { return index >= 0 && index < kNumParams ? values[index] : 0.f; }
    void setProgramName(char* text) override {
        std::strncpy(name, text, sizeof(name) - 1);
        name[sizeof(name) - 1] = 0;
    }
    void getProgramName(char* text) override { std::strcpy(text, name); }
    bool getEffectName(char* text) override {
        std::strcpy(text, "Misbehaving");
        return true;
    }

private:
    float values[kNumParams] = {};
    char name[kVstMaxProgNameLen] = {};
    float level = 0.f, phase = 0.f;
    std::mutex lock;
    char* leaked = nullptr;
};

}  // namespace

AudioEffect* createEffectInstance(audioMasterCallback host) { return new Misbehaving(host); }
