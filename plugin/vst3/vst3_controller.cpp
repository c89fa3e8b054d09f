// The instrument's VST 3 controller: the five parameters, their texts (those
// the VST 2 plug-in shows), the processor's state read back, and the editor's
// view. A separate object from the processor; the two share nothing but what
// the host passes, and talk only by message.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/epiano_engine.h"
#include "plugin/vst3/vst3_description.h"
#include "plugin/vst3/vst3_messages.h"
#include "plugin/vst3/vst3_object.h"
#include "plugin/vst3/vst3_parts.h"
#include "plugin/vst3/vst3_view.h"

using namespace v3;

namespace {

constexpr int kTextSize = 64;

bool isParameter(ParamID id) { return id < (ParamID)kNumParams; }
bool isKnown(ParamID id) { return isParameter(id) || mappedController(id) >= 0; }
constexpr int32 kParameterCount = kNumParams + kMappedControllerCount;
constexpr int32 kIsHiddenFlag = 16;

double clampUnit(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// The value a text is shown for: in 0..1 as setParamNormalized would keep it.
// NaN says nothing about where the knob would sit, so the text is the one a
// new instance shows (a controller's is 0) rather than whatever a cast of NaN
// gives.
double textValue(ParamID id, double v) {
    if (std::isnan(v)) return isParameter(id) ? kParameters[id].defaultValue : 0.0;
    return clampUnit(v);
}

// A UTF-16 text as ASCII, cut at `size`; other characters become '?'.
std::string narrow(const TChar* text, size_t size) {
    std::string out;
    for (size_t i = 0; text && i < size && text[i]; i++) out += text[i] < 128 ? (char)text[i] : '?';
    return out;
}

// Reads a number at the start of `text` (after blanks); false when there is none.
bool leadingNumber(const std::string& text, double* value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

// The value a display text stands for: the display rules read backwards.
bool valueFromText(ParamID id, const std::string& text, double* normalized) {
    double x = 0;
    switch (id) {
        case kSustain:
            if (!leadingNumber(text, &x)) return false;
            *normalized = x / 100.0;
            break;
        case kTreble:
            if (!leadingNumber(text, &x)) return false;
            *normalized = (x + 50.0) / 100.0;
            break;
        case kLfoDepth: {
            size_t at = text.find_first_not_of(' ');
            std::string t = at == std::string::npos ? "" : text.substr(at);
            if (t.compare(0, 4, "Trem") == 0 && leadingNumber(t.substr(4), &x))
                *normalized = (x + 100.0) / 200.0;
            else if (t.compare(0, 3, "Pan") == 0 && leadingNumber(t.substr(3), &x))
                *normalized = (100.0 - x) / 200.0;
            else
                return false;
            break;
        }
        case kLfoRate:
            if (!leadingNumber(text, &x) || x <= 0) return false;
            *normalized = (std::log(x) + 2.61) / 6.22;
            break;
        case kVolume:
            if (text.find("-inf") != std::string::npos) {
                *normalized = 0;
                return true;
            }
            if (!leadingNumber(text, &x)) return false;
            // The text shows the gain cut toward 0 dB: a whole number stands
            // for the middle of the decibel it names.
            if (x == std::floor(x) && x != 0) x += x < 0 ? -0.5 : 0.5;
            *normalized = std::pow(10.0, x / 20.0);
            break;
        default:
            return false;
    }
    *normalized = clampUnit(*normalized);
    return true;
}

class Vst3Controller final : public Object<IEditController, IMidiMapping, IConnectionPoint>, private ViewController {
public:
    Vst3Controller() {
        for (int i = 0; i < kNumParams; i++) values[i] = kParameters[i].defaultValue;
        for (double& v : controllerValues) v = 0;
    }

    tresult V3_API queryInterface(const TUID id, void** obj) override {
        if (!obj) return kInvalidArgument;
        void* found = nullptr;
        if (sameUid(id, FUnknown::iid) || sameUid(id, IPluginBase::iid) || sameUid(id, IEditController::iid))
            found = static_cast<IEditController*>(this);
        else if (sameUid(id, IConnectionPoint::iid))
            found = static_cast<IConnectionPoint*>(this);
        else if (sameUid(id, IMidiMapping::iid))
            found = static_cast<IMidiMapping*>(this);
        return handOut(found, obj);
    }

    tresult V3_API initialize(FUnknown* context) override {
        if (host) host->release();
        host = hostApplicationOf(context);
        return kResultOk;
    }
    tresult V3_API terminate() override {
        setComponentHandler(nullptr);
        disconnect(peer);
        if (host) host->release();
        host = nullptr;
        return kResultOk;
    }

    // The processor's state: the values follow it, or stay when it is not ours.
    tresult V3_API setComponentState(IBStream* state) override {
        float read[kNumParams];
        for (int i = 0; i < kNumParams; i++) read[i] = (float)values[i];
        if (!readState(state, read)) return kResultFalse;
        for (int i = 0; i < kNumParams; i++) setValue(i, read[i]);
        return kResultOk;
    }
    // The controller keeps nothing of its own.
    tresult V3_API setState(IBStream*) override { return kResultOk; }
    tresult V3_API getState(IBStream*) override { return kResultOk; }

    int32 V3_API getParameterCount() override { return kParameterCount; }
    tresult V3_API getParameterInfo(int32 index, v3::ParameterInfo& info) override {
        if (index < 0 || index >= kParameterCount) return kInvalidArgument;
        info = v3::ParameterInfo{};
        if (index >= kNumParams) {
            int c = index - kNumParams;
            info.id = kControllerParamBase + (ParamID)kMappedControllers[c];
            copyText16(info.title, 128, kMappedControllerNames[c]);
            copyText16(info.shortTitle, 128, kMappedControllerNames[c]);
            info.stepCount = 127;  // the MIDI values
            info.unitId = kRootUnitId;
            info.flags = kIsHiddenFlag;
            return kResultOk;
        }
        info.id = (ParamID)index;  // the VST 2 index: recorded automation plays on
        copyText16(info.title, 128, kParameters[index].name);
        copyText16(info.shortTitle, 128, kParameters[index].name);
        copyText16(info.units, 128, kParameters[index].label);
        info.stepCount = 0;
        info.defaultNormalizedValue = kParameters[index].defaultValue;
        info.unitId = kRootUnitId;
        info.flags = kCanAutomate;
        return kResultOk;
    }
    tresult V3_API getParamStringByValue(ParamID id, ParamValue value, String128 string) override {
        if (!isKnown(id) || !string) return kInvalidArgument;
        char text[kTextSize];
        value = textValue(id, value);
        if (isParameter(id))
            parameterText((int32_t)id, (float)value, text);
        else
            std::snprintf(text, sizeof text, "%ld", std::lround(value * 127.0));
        copyText16(string, 128, text);
        return kResultOk;
    }
    tresult V3_API getParamValueByString(ParamID id, TChar* string, ParamValue& value) override {
        if (!isKnown(id) || !string) return kInvalidArgument;
        double v;
        if (!isParameter(id)) {
            if (!leadingNumber(narrow(string, 128), &v)) return kResultFalse;
            v = clampUnit(std::round(v) / 127.0);
        } else if (!valueFromText(id, narrow(string, 128), &v)) {
            return kResultFalse;
        }
        value = v;
        return kResultOk;
    }
    // The values are the plain ones: 0..1 as the VST 2 plug-in has them.
    ParamValue V3_API normalizedParamToPlain(ParamID, ParamValue value) override { return value; }
    ParamValue V3_API plainParamToNormalized(ParamID, ParamValue value) override { return value; }
    ParamValue V3_API getParamNormalized(ParamID id) override {
        if (isParameter(id)) return values[id];
        int slot = controllerSlot(id);
        return slot >= 0 ? controllerValues[slot] : 0.0;
    }
    tresult V3_API setParamNormalized(ParamID id, ParamValue value) override {
        if (!isKnown(id) || !std::isfinite(value)) return kInvalidArgument;
        if (isParameter(id))
            setValue((int)id, clampUnit(value));
        else
            controllerValues[controllerSlot(id)] = clampUnit(value);
        return kResultOk;
    }

    // Every channel of the one event bus plays alike.
    tresult V3_API getMidiControllerAssignment(int32 busIndex, int16 channel, CtrlNumber number, ParamID& id) override {
        if (busIndex != 0 || channel < 0 || channel > 15) return kResultFalse;
        ParamID candidate = kControllerParamBase + (ParamID)number;
        if (number < 0 || mappedController(candidate) < 0) return kResultFalse;
        id = candidate;
        return kResultTrue;
    }
    tresult V3_API setComponentHandler(IComponentHandler* h) override {
        if (h == handler) return kResultOk;
        if (h) h->addRef();
        if (handler) handler->release();
        handler = h;
        return kResultOk;
    }
    IPlugView* V3_API createView(FIDString name) override {
        if (!name || std::strcmp(name, "editor") != 0) return nullptr;
        return newVst3View(*this, static_cast<IEditController*>(this));
    }

    tresult V3_API connect(IConnectionPoint* other) override {
        if (!other) return kInvalidArgument;
        if (peer) return kResultFalse;
        peer = other;
        peer->addRef();
        return kResultOk;
    }
    tresult V3_API disconnect(IConnectionPoint* other) override {
        if (!peer || other != peer) return kResultFalse;
        peer->release();
        peer = nullptr;
        return kResultOk;
    }
    // The processor's keys for the open editors; anything else, or short, is refused.
    tresult V3_API notify(IMessage* message) override {
        if (!message) return kInvalidArgument;
        IAttributeList* attributes = message->getAttributes();
        const void* keys = nullptr;
        uint32 size = 0;
        if (!isMessage(message, kKeysMessage) || !attributes ||
            attributes->getBinary(kKeysAttribute, keys, size) != kResultOk || !keys || size < kKeyCount)
            return kResultFalse;
        for (EditorView* view : views) view->showKeys(static_cast<const uint8_t*>(keys));
        return kResultOk;
    }

private:
    ~Vst3Controller() {
        if (peer) peer->release();
        if (handler) handler->release();
        if (host) host->release();
    }

    void setValue(int index, double value) {
        values[index] = value;
        for (EditorView* view : views) view->showParameter(index, (float)value);
    }

    // ViewController: the editor's requests.
    float parameterValue(int32_t index) override { return isParameter((ParamID)index) ? (float)values[index] : 0.f; }
    void beginEdit(int32_t index) override {
        if (handler && isParameter((ParamID)index)) handler->beginEdit((ParamID)index);
    }
    void performEdit(int32_t index, float value) override {
        if (!isParameter((ParamID)index) || !std::isfinite(value)) return;
        values[index] = clampUnit(value);
        if (handler) handler->performEdit((ParamID)index, values[index]);
    }
    void endEdit(int32_t index) override {
        if (handler && isParameter((ParamID)index)) handler->endEdit((ParamID)index);
    }
    void playKey(int32_t key, bool down) override {
        if (key < 0 || key >= (int32_t)kKeyCount) return;
        IMessage* message = newMessage(host, kKeyMessage);
        IAttributeList* attributes = message ? message->getAttributes() : nullptr;
        const bool filled = attributes && attributes->setInt(kKeyAttribute, key) == kResultOk &&
                            attributes->setInt(kDownAttribute, down ? 1 : 0) == kResultOk;
        sendMessage(filled ? peer : nullptr, message);
    }
    void askForKeys() override { sendMessage(peer, newMessage(host, kWantKeysMessage)); }
    void viewOpened(EditorView* view) override { views.push_back(view); }
    void viewClosed(EditorView* view) override {
        views.erase(std::remove(views.begin(), views.end(), view), views.end());
    }

    static int controllerSlot(ParamID id) {
        for (int i = 0; i < kMappedControllerCount; i++)
            if (id == kControllerParamBase + (ParamID)kMappedControllers[i]) return i;
        return -1;
    }

    double values[kNumParams];
    double controllerValues[kMappedControllerCount];
    IComponentHandler* handler = nullptr;
    IConnectionPoint* peer = nullptr;
    IHostApplication* host = nullptr;  // makes the messages
    std::vector<EditorView*> views;    // the open editors
};

}  // namespace

IEditController* newVst3Controller() { return new (std::nothrow) Vst3Controller(); }
