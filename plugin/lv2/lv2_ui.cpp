// The instrument's editor as an LV2 UI (ui:X11UI): the same SDEditor and
// toolkit as the VST builds, embedded in the host's ui:parent and drawn when
// the host calls the idle interface. The editor's requests become port
// writes: a knob writes its control port, framed by ui:touch where the host
// offers it, and a key sends MIDI to the plug-in's MIDI input as an atom
// event. Control values and the notes the plug-in plays come back through
// port_event (the notes as the plug-in's own events, not MIDI). Every call
// comes on the host's UI thread. The option ui:scaleFactor, at instantiate
// or set later through the options interface, is the host's word on the
// editor's scale; a new scale asks the host for the size through ui:resize.
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "editor/editor_host.h"
#include "editor/sdeditor.h"
#include "plugin/lv2/lv2_description.h"

namespace {

static_assert(SDEditor::kKnobCount == kNumParams, "a knob per control port");

constexpr uint8_t kNoteOffStatus = 0x80, kNoteOnStatus = 0x90;
constexpr uint8_t kHighestNote = 127;
// The on-screen keys play at the velocity the VST build's keys play at.
constexpr uint8_t kKeyVelocity = 100;
constexpr uint32_t kNoteMessageBytes = 3;

// A MIDI message as the atom a host passes between the UI and the plug-in.
struct MidiAtom {
    LV2_Atom header;
    uint8_t message[kNoteMessageBytes];
};
constexpr uint32_t kMidiAtomBytes = sizeof(LV2_Atom) + kNoteMessageBytes;

bool isControlPort(uint32_t port) { return port >= kLv2FirstControlPort && port < kLv2FirstControlPort + kNumParams; }
bool isKnob(int32_t index) { return index >= 0 && index < kNumParams; }

// What the UI takes from the host's features.
struct HostFeatures {
    LV2_URID_Map* map = nullptr;
    void* parent = nullptr;
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
    const LV2_Options_Option* options = nullptr;
    bool idles = false;  // the host calls the idle interface

    explicit HostFeatures(const LV2_Feature* const* features) {
        for (; features && *features; features++) {
            const char* uri = (*features)->URI;
            void* data = (*features)->data;
            if (!uri) continue;
            if (std::strcmp(uri, LV2_URID__map) == 0)
                map = static_cast<LV2_URID_Map*>(data);
            else if (std::strcmp(uri, LV2_UI__parent) == 0)
                parent = data;
            else if (std::strcmp(uri, LV2_UI__resize) == 0)
                resize = static_cast<const LV2UI_Resize*>(data);
            else if (std::strcmp(uri, LV2_UI__touch) == 0)
                touch = static_cast<const LV2UI_Touch*>(data);
            else if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
                idles = true;
            else if (std::strcmp(uri, LV2_OPTIONS__options) == 0)
                options = static_cast<const LV2_Options_Option*>(data);
        }
    }
};

class Lv2EditorHost final : public EditorHost {
public:
    Lv2EditorHost(const HostFeatures& features, LV2UI_Write_Function write, LV2UI_Controller controller);

    // Opens the editor in the host's window and asks the host for its size.
    bool open(void* parent);
    LV2UI_Widget widget() const;
    void idle() { editor.idle(); }
    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // Takes ui:scaleFactor from a list of options ended by a zero key; true
    // when the list held a usable one.
    bool takeOptions(const LV2_Options_Option* options);

    float parameterValue(int32_t index) override { return isKnob(index) ? values[index] : 0.f; }
    void beginEdit(int32_t index) override { touch(index, true); }
    void performEdit(int32_t index, float value) override;
    void endEdit(int32_t index) override { touch(index, false); }
    void playKey(int32_t key, float value) override;
    bool resizeWindow(int32_t width, int32_t height) override;
    // The host idles the UI on its own schedule; there is nothing to give it.
    void hostIdle() override {}

private:
    void touch(int32_t index, bool grabbed);
    void showNote(const void* buffer, uint32_t size);

    const LV2UI_Write_Function write;
    const LV2UI_Controller controller;
    const LV2UI_Resize* const resize;
    const LV2UI_Touch* const touchFeature;
    const LV2_URID midiEventType, keyStateType, allKeysUpType, eventTransfer, atomTransfer;
    const LV2_URID scaleFactorKey, floatType, doubleType;
    // The control ports' values as the UI last heard or wrote them.
    float values[kNumParams];
    SDEditor editor;
};

Lv2EditorHost::Lv2EditorHost(const HostFeatures& features, LV2UI_Write_Function write, LV2UI_Controller controller)
    : write(write),
      controller(controller),
      resize(features.resize),
      touchFeature(features.touch),
      midiEventType(features.map->map(features.map->handle, LV2_MIDI__MidiEvent)),
      keyStateType(features.map->map(features.map->handle, kLv2KeyStateUri)),
      allKeysUpType(features.map->map(features.map->handle, kLv2AllKeysUpUri)),
      eventTransfer(features.map->map(features.map->handle, LV2_ATOM__eventTransfer)),
      atomTransfer(features.map->map(features.map->handle, LV2_ATOM__atomTransfer)),
      scaleFactorKey(features.map->map(features.map->handle, LV2_UI__scaleFactor)),
      floatType(features.map->map(features.map->handle, LV2_ATOM__Float)),
      doubleType(features.map->map(features.map->handle, LV2_ATOM__Double)),
      editor(this) {
    // Until the host sends the ports' values, the knobs show the defaults.
    for (int i = 0; i < kNumParams; i++) values[i] = kParameters[i].defaultValue;
    takeOptions(features.options);
}

bool Lv2EditorHost::takeOptions(const LV2_Options_Option* options) {
    bool taken = false;
    // A host's list is ended by a zero key; a runaway one is not followed far.
    for (int i = 0; options && i < 1024 && options[i].key != 0; i++) {
        const LV2_Options_Option& option = options[i];
        if (option.key != scaleFactorKey || !option.value) continue;
        double factor = 0.0;
        if (option.type == floatType && option.size == sizeof(float)) {
            float value;
            std::memcpy(&value, option.value, sizeof(value));
            factor = value;
        } else if (option.type == doubleType && option.size == sizeof(double)) {
            std::memcpy(&factor, option.value, sizeof(factor));
        } else {
            continue;
        }
        // Nonsense (NaN, zero, negative) withdraws the host's word.
        editor.setHostScale(factor);
        taken = true;
    }
    return taken;
}

// The widget is the editor's own window, so it must exist when instantiate
// returns: a parent that the host has not yet sent to the X server (where the
// VST editor waits for it) is refused.
bool Lv2EditorHost::open(void* parent) {
    if (!editor.open(parent)) return false;
    if (!widget()) {
        editor.close();
        return false;
    }
    EditorRect* rect = nullptr;
    if (editor.getRect(&rect) && rect) resizeWindow(rect->right - rect->left, rect->bottom - rect->top);
    return true;
}

LV2UI_Widget Lv2EditorHost::widget() const {
    VSTGUI::CFrame* frame = editor.getFrame();
    return frame ? frame->getSystemWindow() : nullptr;
}

// A control port's value (format 0: one float) moves its knob; a key the
// plug-in plays or releases (an atom of its notes output) lights or darkens,
// and all go dark when the plug-in stops every note.
// Anything else, or anything malformed, is left alone.
void Lv2EditorHost::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    if (!buffer) return;
    if (format == 0) {
        if (!isControlPort(port) || size < sizeof(float)) return;
        float value;
        std::memcpy(&value, buffer, sizeof(value));
        if (!std::isfinite(value)) return;
        value = value < 0.f ? 0.f : value > 1.f ? 1.f : value;
        const int32_t index = (int32_t)(port - kLv2FirstControlPort);
        values[index] = value;
        editor.setParameter(index, value);
    } else if (port == kLv2NotifyPort && (format == eventTransfer || format == atomTransfer)) {
        showNote(buffer, size);
    }
}

void Lv2EditorHost::showNote(const void* buffer, uint32_t size) {
    LV2_Atom header;
    if (size < sizeof(header)) return;
    std::memcpy(&header, buffer, sizeof(header));
    if (header.size > size - sizeof(header)) return;
    if (header.type == allKeysUpType) {
        for (int32_t key = kLowestKey; key <= kHighestKey; key++) editor.setParameter(key, 0.f);
        return;
    }
    Lv2KeyState key;
    if (header.type != keyStateType || header.size < sizeof(key)) return;
    std::memcpy(&key, static_cast<const uint8_t*>(buffer) + sizeof(header), sizeof(key));
    if (key.key < kLowestKey || key.key > kHighestKey) return;
    editor.setParameter(key.key, (float)key.velocity);
}

void Lv2EditorHost::performEdit(int32_t index, float value) {
    if (!isKnob(index)) return;
    values[index] = value;
    if (write) write(controller, kLv2FirstControlPort + (uint32_t)index, sizeof(value), 0, &value);
}

// Keys are no ports: only the knobs' gestures reach the host.
void Lv2EditorHost::touch(int32_t index, bool grabbed) {
    if (isKnob(index) && touchFeature && touchFeature->touch)
        touchFeature->touch(touchFeature->handle, kLv2FirstControlPort + (uint32_t)index, grabbed);
}

void Lv2EditorHost::playKey(int32_t key, float value) {
    if (key < 0 || key > kHighestNote || !write) return;
    MidiAtom atom = {};
    atom.header.size = kNoteMessageBytes;
    atom.header.type = midiEventType;
    atom.message[0] = value != 0.f ? kNoteOnStatus : kNoteOffStatus;
    atom.message[1] = (uint8_t)key;
    atom.message[2] = kKeyVelocity;
    write(controller, kLv2MidiInPort, kMidiAtomBytes, eventTransfer, &atom);
}

bool Lv2EditorHost::resizeWindow(int32_t width, int32_t height) {
    return resize && resize->ui_resize && resize->ui_resize(resize->handle, width, height) == 0;
}

// Without URIDs the UI cannot speak MIDI, without a parent it has nowhere to
// be, and without idle calls it would never draw.
LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    const HostFeatures found(features);
    if (!pluginUri || std::strcmp(pluginUri, kLv2PluginUri) != 0 || !widget || !found.map || !found.map->map ||
        !found.parent || !found.idles)
        return nullptr;
    try {
        std::unique_ptr<Lv2EditorHost> ui(new Lv2EditorHost(found, write, controller));
        if (!ui->open(found.parent)) return nullptr;
        *widget = ui->widget();
        return ui.release();
    } catch (...) {  // out of memory: no UI, and nothing thrown into the host
        return nullptr;
    }
}

void cleanup(LV2UI_Handle ui) { delete static_cast<Lv2EditorHost*>(ui); }

// A host that calls with no instance gets nothing done rather than a crash.
void portEvent(LV2UI_Handle ui, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    if (ui) static_cast<Lv2EditorHost*>(ui)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle ui) {
    if (ui) static_cast<Lv2EditorHost*>(ui)->idle();
    return 0;
}

const LV2UI_Idle_Interface kIdleInterface = {idle};

// Only ui:scaleFactor is taken, and nothing is reported back.
uint32_t getOptions(LV2_Handle, LV2_Options_Option*) { return LV2_OPTIONS_ERR_BAD_KEY; }
uint32_t setOptions(LV2_Handle ui, const LV2_Options_Option* options) {
    if (!ui) return LV2_OPTIONS_ERR_UNKNOWN;
    return static_cast<Lv2EditorHost*>(ui)->takeOptions(options) ? LV2_OPTIONS_SUCCESS : LV2_OPTIONS_ERR_BAD_KEY;
}
const LV2_Options_Interface kOptionsInterface = {getOptions, setOptions};

const void* extensionData(const char* uri) {
    if (!uri) return nullptr;
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
    if (std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &kOptionsInterface;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kLv2UiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace

// Cairo and pixman keep tables from their first use that they never free.
// Unloaded with this binary in a host that does not draw with cairo itself,
// and loaded again with the next UI, they would leave them behind each time;
// so cairo stays once it has come, as it does in hosts that draw with it.
__attribute__((constructor)) static void keepCairoLoaded() { dlopen("libcairo.so.2", RTLD_NOW | RTLD_NODELETE); }

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
