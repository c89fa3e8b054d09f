// The instrument's binary interface driven by any program of host calls:
// dispatcher opcodes with any index, value and float and a buffer this host
// owns, parameters with any index and any float bit pattern, event blocks of
// any MIDI bytes, types, sizes and offsets, renders of up to 8192 frames and
// rate changes. Every sample rendered must be finite and the output buffers
// written exactly where they should be.
//
// The instrument has its real X11 editor, driven as hosts drive it: opened
// on a parent window of this host's, one it has destroyed, none, or any id at
// all, with or without a display to reach (it must answer 1 exactly when it
// made its window), idled, closed, sent keys, clicked and dragged in, and
// left behind when the host destroys its window. With DISPLAY set at start
// (make runs the fuzzers under Xvfb) its windows are real.
#include <X11/Xlib.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plugin/plugin_entry.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr VstInt32 kMaxFrames = 8192;
constexpr size_t kGuardFloats = 16;
constexpr uint32_t kUntouched = 0x7FA5A5A5;  // a NaN no render can produce
constexpr int kMaxCalls = 96;
constexpr int kMaxFramesPerInput = 1 << 16;  // keeps one input quick
constexpr int kMaxEventsPerBlock = 80;       // twice what the instrument keeps of a block
constexpr size_t kDefaultBuffer = 256;
constexpr VstInt32 kHighestOpcode = effGetNumMidiOutputChannels + 8;

VstIntPtr VSTCALLBACK hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// Windows of this host on a connection of its own: a live parent for the
// editor and the id of one already destroyed. None without a display.
class HostWindows {
public:
    HostWindows() {
        const char* name = std::getenv("DISPLAY");
        if (name) display = name;
        connection = name ? XOpenDisplay(nullptr) : nullptr;
        if (!connection) return;
        destroyed = newWindow();
        XDestroyWindow(connection, destroyed);
        live = newWindow();
        XSync(connection, False);
        // The connection stays open for the process: closing it would take
        // the live window with it.
    }

    const std::string& displayName() const { return display; }
    Window liveWindow() const { return live; }
    Window destroyedWindow() const { return destroyed; }

    // The host closes its window while the editor may still be in it, and
    // makes a new one for the next open.
    void replaceLive() {
        if (!connection) return;
        XDestroyWindow(connection, live);
        live = newWindow();
        XSync(connection, False);
    }

    // A pointer event sent to the editor's window inside the live parent, if
    // there is one; the editor takes it at its next idle.
    void sendPointerEvent(int type, int x, int y, unsigned int button, unsigned int state) {
        if (!connection) return;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(connection, live, &root, &parent, &children, &count)) return;
        const Window editor = count ? children[count - 1] : 0;
        if (children) XFree(children);
        if (!editor) return;
        XEvent event = {};
        event.type = type;
        // Button and motion events have the same fields up to the state.
        event.xbutton.display = connection;
        event.xbutton.window = editor;
        event.xbutton.root = root;
        event.xbutton.x = x;
        event.xbutton.y = y;
        event.xbutton.state = state;
        if (type == MotionNotify) {
            event.xmotion.same_screen = True;
        } else {
            event.xbutton.button = button;
            event.xbutton.same_screen = True;
        }
        XSendEvent(connection, editor, False, 0, &event);
        // Delivered before the editor's next look at its connection.
        XSync(connection, False);
    }

private:
    Window newWindow() {
        return XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 730, 248, 0, 0, 0);
    }

    std::string display;  // DISPLAY as the process started
    Display* connection = nullptr;
    Window live = 0;
    Window destroyed = 0;
};

HostWindows& hostWindows() {
    static HostWindows windows;
    return windows;
}

// Takes DISPLAY away for a scope, as a host started without one has it.
class WithoutDisplay {
public:
    explicit WithoutDisplay(bool active) : active(active && !hostWindows().displayName().empty()) {
        if (this->active) unsetenv("DISPLAY");
    }
    ~WithoutDisplay() {
        if (active) setenv("DISPLAY", hostWindows().displayName().c_str(), 1);
    }

private:
    bool active;
};

float floatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof(f));
    return f;
}

uint32_t bitsOf(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof(bits));
    return bits;
}

// The bytes a buffer of this opcode may receive, as hosts size them.
size_t bufferSize(VstInt32 opcode) {
    switch (opcode) {
        case effGetProgramName:
        case effGetProgramNameIndexed:
            return kVstMaxProgNameLen;
        case effGetParamLabel:
        case effGetParamDisplay:
        case effGetParamName:
            return 32;  // hosts give more than the standard's 8 characters; names here take up to 10 bytes
        case effGetEffectName:
            return 32;
        case effGetVendorString:
        case effGetProductString:
            return 64;
        case effGetInputProperties:
        case effGetOutputProperties:
            return sizeof(VstPinProperties);
        case effEditGetRect:
        case effGetChunk:
            return sizeof(void*);
        default:
            return kDefaultBuffer;
    }
}

class Session {
public:
    explicit Session(FuzzedDataProvider& in) : in(in) { create(); }
    ~Session() { close(); }

    void run() {
        for (int call = 0; call < kMaxCalls && in.remaining_bytes() > 0; call++) {
            if (!effect) create();
            if (!effect) return;
            switch (in.ConsumeIntegralInRange(0, 11)) {
                case 0:
                case 1:
                    dispatch();
                    break;
                case 2:
                    setParameter();
                    break;
                case 3:
                    getParameter();
                    break;
                case 4:
                case 5:
                    events(effect->dispatcher);
                    break;
                case 6:
                case 7:
                    render();
                    break;
                case 8:
                    rate();
                    break;
                case 9:
                    otherRenders();
                    break;
                default:
                    editorCall();
                    break;
            }
            checkRecord();
        }
    }

private:
    void create() {
        effect = VSTPluginMain(hostCallback);
        FUZZ_CHECK(effect != nullptr, "the entry refused a host that answers 2400");
        flags = effect->flags;
    }

    void close() {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);
        effect = nullptr;
    }

    void checkRecord() {
        if (!effect) return;
        FUZZ_CHECK(effect->magic == kEffectMagic, "record overwritten");
        FUZZ_CHECK(effect->flags == flags && effect->numParams == 5 && effect->numOutputs == 2,
                   "record changed after creation");
    }

    VstInt32 index() {
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0:
                return in.ConsumeIntegralInRange<VstInt32>(-2, 8);
            case 1:
                return in.ConsumeIntegralInRange<VstInt32>(18, 131);
            default:
                return in.ConsumeIntegral<VstInt32>();
        }
    }

    float anyFloat() { return floatFromBits(in.ConsumeIntegral<uint32_t>()); }

    void dispatch() {
        VstInt32 opcode =
            in.ConsumeBool() ? in.ConsumeIntegralInRange<VstInt32>(0, kHighestOpcode) : in.ConsumeIntegral<VstInt32>();
        if (opcode == effClose) return close();
        if (opcode == effProcessEvents) return events(effect->dispatcher);
        if (opcode == effEditOpen) return openEditor();
        VstInt32 i = index();
        VstIntPtr value =
            in.ConsumeBool() ? in.ConsumeIntegralInRange<VstIntPtr>(-2, 130) : in.ConsumeIntegral<VstIntPtr>();
        float opt = anyFloat();

        if (opcode == effGetSpeakerArrangement) {
            // Both are where the plug-in stores its answers.
            void* input = &value;  // overwritten below
            void* output = nullptr;
            VstIntPtr where = in.ConsumeBool() ? (VstIntPtr)&input : 0;
            effect->dispatcher(effect, opcode, i, where, in.ConsumeBool() ? &output : nullptr, opt);
            return;
        }

        // Text the plug-in reads comes zero-terminated; anything else is a
        // buffer of the size hosts give, filled with whatever the input says.
        std::vector<char> buffer;
        if (opcode == effSetProgramName || opcode == effCanDo || opcode == effString2Parameter) {
            std::string text = in.ConsumeRandomLengthString(64);
            buffer.assign(text.begin(), text.end());
            buffer.push_back(0);
        } else {
            buffer.resize(bufferSize(opcode));
            std::vector<uint8_t> fill = in.ConsumeBytes<uint8_t>(buffer.size());
            if (!fill.empty()) std::memcpy(buffer.data(), fill.data(), fill.size());
        }
        if (opcode == effSetChunk) value = (VstIntPtr)buffer.size();
        void* ptr = in.ConsumeIntegralInRange(0, 7) == 0 ? nullptr : buffer.data();
        effect->dispatcher(effect, opcode, i, value, ptr, opt);
    }

    // The editor's calls in any order: its size, open, idle, close, keys and
    // knob mode, pointer events in its window and the host closing the
    // parent under it. (Hosts reach the wheel through the window only.)
    void editorCall() {
        switch (in.ConsumeIntegralInRange(0, 7)) {
            case 0: {
                ERect* rect = nullptr;
                const VstIntPtr answer = effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.f);
                FUZZ_CHECK(answer == 1 && rect && rect->right > rect->left && rect->bottom > rect->top,
                           "effEditGetRect answered %ld without a size", (long)answer);
                break;
            }
            case 1:
                openEditor();
                break;
            case 2:
                effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.f);
                break;
            case 3:
                effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.f);
                break;
            case 4: {
                const VstInt32 opcode = in.ConsumeBool() ? effEditKeyDown : effEditKeyUp;
                const VstInt32 character = index();
                const VstIntPtr key = in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 60) : in.ConsumeIntegral<VstIntPtr>();
                effect->dispatcher(effect, opcode, character, key, nullptr, anyFloat());
                break;
            }
            case 5:
                effect->dispatcher(effect, effSetEditKnobMode, 0, in.ConsumeIntegralInRange(-1, 3), nullptr, 0.f);
                break;
            case 6: {
                static const int kTypes[] = {ButtonPress, ButtonRelease, MotionNotify};
                const int type = kTypes[in.ConsumeIntegralInRange(0, 2)];
                const int x = in.ConsumeIntegralInRange(-20, 760);
                const int y = in.ConsumeIntegralInRange(-20, 280);
                const unsigned int button = in.ConsumeIntegralInRange(1, 7);
                const unsigned int state = in.ConsumeIntegral<uint16_t>() & 0x1FFF;
                hostWindows().sendPointerEvent(type, x, y, button, state);
                break;
            }
            default:
                hostWindows().replaceLive();
                break;
        }
    }

    // The parent is a live window, a destroyed one, none or any id; the
    // display may be out of reach. The answer is 1 for a live parent and 0
    // where no window can ever be made.
    void openEditor() {
        const HostWindows& host = hostWindows();
        bool live = false;
        bool impossible = false;
        uintptr_t parent = 0;
        switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0:
                impossible = true;
                break;
            case 1:
                parent = host.liveWindow();  // 0 without a display: no parent
                live = parent != 0;
                impossible = !live;
                break;
            case 2:
                // Inside a live client's ids, a destroyed window looks like
                // one its owner has not flushed yet: the editor may wait for it.
                parent = host.destroyedWindow();
                break;
            case 3:
                parent = in.ConsumeIntegral<uint32_t>();
                break;
            default:
                parent = (uintptr_t)&in;  // an address, as a confused host passes one of its own
                break;
        }
        const bool noDisplay = in.ConsumeBool() || host.displayName().empty();
        VstIntPtr opened;
        {
            WithoutDisplay scope(noDisplay);
            opened = effect->dispatcher(effect, effEditOpen, 0, 0, (void*)parent, 0.f);
        }
        if (noDisplay || impossible)
            FUZZ_CHECK(opened == 0, "effEditOpen answered %ld where no window can be made", (long)opened);
        else if (live)
            FUZZ_CHECK(opened == 1, "effEditOpen answered %ld for a live parent", (long)opened);
    }

    void setParameter() {
        VstInt32 i = index();
        float v = in.ConsumeBool() ? in.ConsumeFloatingPointInRange(-0.5f, 1.5f) : anyFloat();
        effect->setParameter(effect, i, v);
        if (i >= 0 && i < 5 && std::isfinite(v)) {
            float shown = effect->getParameter(effect, i);
            FUZZ_CHECK(bitsOf(shown) == bitsOf(v), "parameter %d set to %g reads %g", i, v, shown);
        }
    }

    void getParameter() {
        VstInt32 i = index();
        float v = effect->getParameter(effect, i);
        FUZZ_CHECK(std::isfinite(v), "parameter %d reads %g", i, v);
    }

    // A block of events, each record its own allocation of the record's size,
    // so a read past any of them is caught.
    void events(AEffectDispatcherProc dispatcher) {
        int count = in.ConsumeIntegralInRange(0, kMaxEventsPerBlock);
        std::vector<std::unique_ptr<VstMidiEvent>> records;
        std::vector<unsigned char> block(offsetof(VstEvents, events) + (count < 2 ? 2 : count) * sizeof(VstEvent*));
        VstEvents* list = (VstEvents*)block.data();
        VstEvent** entries = list->events;  // numEvents long, past the record's declared two
        for (int e = 0; e < count; e++) {
            std::unique_ptr<VstMidiEvent> m(new VstMidiEvent());
            int kind = in.ConsumeIntegralInRange(0, 7);
            m->type = kind == 0 ? in.ConsumeIntegral<VstInt32>() : (kind == 1 ? kVstSysExType : kVstMidiType);
            m->byteSize = in.ConsumeBool() ? (VstInt32)sizeof(VstMidiEvent) : in.ConsumeIntegral<VstInt32>();
            m->deltaFrames =
                in.ConsumeBool() ? in.ConsumeIntegralInRange<VstInt32>(0, kMaxFrames) : in.ConsumeIntegral<VstInt32>();
            m->flags = 1;
            midiBytes(m->midiData);
            entries[e] = in.ConsumeIntegralInRange(0, 31) == 0 ? nullptr : (VstEvent*)m.get();
            records.push_back(std::move(m));
        }
        list->numEvents = in.ConsumeIntegralInRange(0, 15) == 0 ? -in.ConsumeIntegralInRange(1, 100) : count;
        VstIntPtr result = dispatcher(effect, effProcessEvents, 0, 0, list, 0.f);
        FUZZ_CHECK(result == 1, "processEvents answered %ld", (long)result);
    }

    // Half the messages are ones the instrument answers, the rest any bytes.
    void midiBytes(char bytes[4]) {
        static const uint8_t kStatus[] = {0x80, 0x90, 0xB0, 0xC0};
        static const uint8_t kControllers[] = {1, 7, 64, 66, 123, 124, 125, 126, 127};
        if (in.ConsumeBool()) {
            for (int i = 0; i < 4; i++) bytes[i] = (char)in.ConsumeIntegral<uint8_t>();
            return;
        }
        uint8_t status = kStatus[in.ConsumeIntegralInRange(0, 3)] | in.ConsumeIntegralInRange(0, 15);
        bytes[0] = (char)status;
        bytes[1] = (char)((status & 0xF0) == 0xB0 ? kControllers[in.ConsumeIntegralInRange(0, 8)]
                                                  : in.ConsumeIntegralInRange(0, 127));
        bytes[2] = (char)in.ConsumeIntegralInRange(0, 127);
        bytes[3] = 0;
    }

    VstInt32 frames() {
        int kind = in.ConsumeIntegralInRange(0, 9);
        VstInt32 n;
        if (kind == 0)
            n = in.ConsumeIntegral<VstInt32>() % (kMaxFrames + 1) - (in.ConsumeBool() ? kMaxFrames : 0);
        else if (kind < 4)
            n = in.ConsumeIntegralInRange<VstInt32>(0, 64);
        else
            n = in.ConsumeIntegralInRange<VstInt32>(0, kMaxFrames);
        return n < budget ? n : budget;
    }

    // Guard bands before and after each channel; everything starts as a NaN
    // no render makes, so a frame left unwritten shows as well as a stray write.
    struct Outputs {
        std::vector<float> channel[2];
        float* pointers[2];
        explicit Outputs(VstInt32 frames) {
            size_t n = kGuardFloats + (size_t)(frames > 0 ? frames : 0) + kGuardFloats;
            for (int c = 0; c < 2; c++) {
                channel[c].assign(n, floatFromBits(kUntouched));
                pointers[c] = channel[c].data() + kGuardFloats;
            }
        }
        size_t written(int c) const { return channel[c].size() - 2 * kGuardFloats; }
    };

    void render() {
        VstInt32 n = frames();
        Outputs out(n);
        effect->processReplacing(effect, nullptr, out.pointers, n);
        for (int c = 0; c < 2; c++) {
            const std::vector<float>& ch = out.channel[c];
            for (size_t i = 0; i < ch.size(); i++) {
                bool inside = i >= kGuardFloats && i < kGuardFloats + out.written(c);
                if (inside)
                    FUZZ_CHECK(std::isfinite(ch[i]), "channel %d frame %zu of %d is %g", c, i - kGuardFloats, n, ch[i]);
                else
                    FUZZ_CHECK(bitsOf(ch[i]) == kUntouched, "channel %d written outside its %d frames", c, n);
            }
        }
        if (n > 0) budget -= n;
    }

    // The accumulating and double-precision entries leave the buffers alone.
    void otherRenders() {
        VstInt32 n = frames();
        if (in.ConsumeBool()) {
            Outputs out(n);
            effect->process(effect, nullptr, out.pointers, n);
            for (int c = 0; c < 2; c++)
                for (float x : out.channel[c]) FUZZ_CHECK(bitsOf(x) == kUntouched, "process wrote its outputs");
        } else {
            std::vector<double> left(n > 0 ? n : 0, 0.25), right(left);
            double* outputs[2] = {left.data(), right.data()};
            effect->processDoubleReplacing(effect, nullptr, outputs, n);
            for (double x : left) FUZZ_CHECK(x == 0.25, "processDoubleReplacing wrote its outputs");
            for (double x : right) FUZZ_CHECK(x == 0.25, "processDoubleReplacing wrote its outputs");
        }
    }

    // Rate changes as hosts make them: a rate (any bits), switched off and on
    // in some order.
    void rate() {
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0:
                effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, anyFloat());
                break;
            case 1: {
                static const float kRates[] = {22050.f, 44100.f, 48000.f, 88200.f, 96000.f, 192000.f, 1000.f, 8000.f};
                effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, kRates[in.ConsumeIntegralInRange(0, 7)]);
                break;
            }
            case 2:
                effect->dispatcher(effect, effSetBlockSize, 0, in.ConsumeIntegral<VstInt32>(), nullptr, 0.f);
                break;
            default:
                break;
        }
        effect->dispatcher(effect, effMainsChanged, 0, in.ConsumeIntegralInRange(0, 3), nullptr, 0.f);
    }

    FuzzedDataProvider& in;
    AEffect* effect = nullptr;
    VstInt32 flags = 0;
    VstInt32 budget = kMaxFramesPerInput;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Session session(in);
    session.run();
    return 0;
}
