// Our own declarations of the VST 3 binary interface: the types, result
// codes, interface IDs, vtable orders and records the instrument and its
// test host use. Written from the published interface facts, checked below
// with the record sizes hosts rely on for each target we build.
#pragma once

#include <cstddef>
#include <cstdint>

// Every interface method and override carries this: on 32-bit Windows the
// interface is __stdcall, elsewhere the default convention.
#if defined(_WIN32) && !defined(_WIN64)
#define V3_API __stdcall
#else
#define V3_API
#endif

namespace v3 {

using int8 = char;
using uint8 = uint8_t;
using int16 = int16_t;
using uint16 = uint16_t;
using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;
using char8 = char;
using char16 = char16_t;
using TChar = char16_t;
using TBool = uint8_t;
using tresult = int32_t;
using FIDString = const char*;
using TUID = char[16];
using String128 = char16[128];
using ParamID = uint32;
using ParamValue = double;
using TSamples = int64;
using SampleRate = double;
using Sample32 = float;
using Sample64 = double;
using SpeakerArrangement = uint64;
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;
using CtrlNumber = int16;

// Results: COM values on Windows, small numbers elsewhere. Success is 0, so
// results are compared with kResultOk, never taken as booleans.
#ifdef _WIN32
constexpr tresult kNoInterface = (tresult)0x80004002u, kResultOk = 0, kResultTrue = 0, kResultFalse = 1,
                  kInvalidArgument = (tresult)0x80070057u, kNotImplemented = (tresult)0x80004001u,
                  kInternalError = (tresult)0x80004005u, kNotInitialized = (tresult)0x8000FFFFu,
                  kOutOfMemory = (tresult)0x8007000Eu;
#else
constexpr tresult kNoInterface = -1, kResultOk = 0, kResultTrue = 0, kResultFalse = 1, kInvalidArgument = 2,
                  kNotImplemented = 3, kInternalError = 4, kNotInitialized = 5, kOutOfMemory = 6;
#endif

// An ID as its four words; the bytes in memory follow the platform (the
// Windows form is a COM GUID), the text form is the same everywhere.
struct Uid {
    uint32 l1, l2, l3, l4;
};

struct Tuid {
    char bytes[16];
};

constexpr Tuid toTuid(Uid u) {
    Tuid t{};
    auto put = [&t](int at, uint32 word, bool little, int count) {
        for (int i = 0; i < count; i++) {
            int shift = little ? 8 * i : 8 * (count - 1 - i);
            t.bytes[at + i] = (char)(uint8)(word >> shift);
        }
    };
#ifdef _WIN32
    put(0, u.l1, true, 4);
    put(4, u.l2 >> 16, true, 2);
    put(6, u.l2 & 0xFFFF, true, 2);
#else
    put(0, u.l1, false, 4);
    put(4, u.l2, false, 4);
#endif
    put(8, u.l3, false, 4);
    put(12, u.l4, false, 4);
    return t;
}

inline bool sameUid(const char* a, const Tuid& b) {
    if (!a) return false;
    for (int i = 0; i < 16; i++)
        if (a[i] != b.bytes[i]) return false;
    return true;
}

// Records are naturally aligned on every target; packing caps at 8 on
// 32-bit and 16 on 64-bit, which no record reaches.
#pragma pack(push, 8)

class FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x00000000, 0x00000000, 0xC0000000, 0x00000046});
    virtual tresult V3_API queryInterface(const TUID iid, void** obj) = 0;
    virtual uint32 V3_API addRef() = 0;
    virtual uint32 V3_API release() = 0;
};

// ---- Module ----

constexpr int32 kManyInstances = 0x7FFFFFFF;
constexpr int32 kFactoryUnicode = 16;
constexpr uint32 kDistributable = 1;

struct PFactoryInfo {
    char8 vendor[64];
    char8 url[256];
    char8 email[128];
    int32 flags;
};

struct PClassInfo {
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char8 name[64];
};

struct PClassInfo2 {
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char8 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char8 vendor[64];
    char8 version[64];
    char8 sdkVersion[64];
};

struct PClassInfoW {
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char16 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
};

class IPluginFactory : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F});
    virtual tresult V3_API getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32 V3_API countClasses() = 0;
    virtual tresult V3_API getClassInfo(int32 index, PClassInfo* info) = 0;
    virtual tresult V3_API createInstance(FIDString cid, FIDString iid, void** obj) = 0;
};

class IPluginFactory2 : public IPluginFactory {
public:
    static constexpr Tuid iid = toTuid({0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB});
    virtual tresult V3_API getClassInfo2(int32 index, PClassInfo2* info) = 0;
};

class IPluginFactory3 : public IPluginFactory2 {
public:
    static constexpr Tuid iid = toTuid({0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931});
    virtual tresult V3_API getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
    virtual tresult V3_API setHostContext(FUnknown* context) = 0;
};

class IPluginBase : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625});
    virtual tresult V3_API initialize(FUnknown* context) = 0;
    virtual tresult V3_API terminate() = 0;
};

// ---- Streams, messages ----

constexpr int32 kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2;

class IBStream : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B});
    virtual tresult V3_API read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
    virtual tresult V3_API write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
    virtual tresult V3_API seek(int64 pos, int32 mode, int64* result) = 0;
    virtual tresult V3_API tell(int64* pos) = 0;
};

class IAttributeList : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4});
    using AttrID = const char*;
    virtual tresult V3_API setInt(AttrID id, int64 value) = 0;
    virtual tresult V3_API getInt(AttrID id, int64& value) = 0;
    virtual tresult V3_API setFloat(AttrID id, double value) = 0;
    virtual tresult V3_API getFloat(AttrID id, double& value) = 0;
    virtual tresult V3_API setString(AttrID id, const TChar* string) = 0;
    virtual tresult V3_API getString(AttrID id, TChar* string, uint32 sizeInBytes) = 0;
    virtual tresult V3_API setBinary(AttrID id, const void* data, uint32 sizeInBytes) = 0;
    virtual tresult V3_API getBinary(AttrID id, const void*& data, uint32& sizeInBytes) = 0;
};

class IMessage : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613});
    virtual FIDString V3_API getMessageID() = 0;
    virtual void V3_API setMessageID(FIDString id) = 0;
    virtual IAttributeList* V3_API getAttributes() = 0;
};

class IConnectionPoint : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1});
    virtual tresult V3_API connect(IConnectionPoint* other) = 0;
    virtual tresult V3_API disconnect(IConnectionPoint* other) = 0;
    virtual tresult V3_API notify(IMessage* message) = 0;
};

class IHostApplication : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5});
    virtual tresult V3_API getName(String128 name) = 0;
    virtual tresult V3_API createInstance(TUID cid, TUID iid, void** obj) = 0;
};

// ---- Processor ----

constexpr MediaType kAudio = 0, kEvent = 1;
constexpr BusDirection kInput = 0, kOutput = 1;
constexpr BusType kMain = 0, kAux = 1;
constexpr uint32 kDefaultActive = 1;
constexpr int32 kRealtime = 0, kPrefetch = 1, kOffline = 2;
constexpr int32 kSample32 = 0, kSample64 = 1;
constexpr uint32 kNoTail = 0, kInfiniteTail = 0xFFFFFFFFu;
constexpr SpeakerArrangement kSpeakerArrEmpty = 0, kSpeakerArrStereo = 3;

struct BusInfo {
    MediaType mediaType;
    BusDirection direction;
    int32 channelCount;
    String128 name;
    BusType busType;
    uint32 flags;
};

struct RoutingInfo {
    MediaType mediaType;
    int32 busIndex;
    int32 channel;
};

class IComponent : public IPluginBase {
public:
    static constexpr Tuid iid = toTuid({0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802});
    virtual tresult V3_API getControllerClassId(TUID classId) = 0;
    virtual tresult V3_API setIoMode(IoMode mode) = 0;
    virtual int32 V3_API getBusCount(MediaType type, BusDirection dir) = 0;
    virtual tresult V3_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
    virtual tresult V3_API getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
    virtual tresult V3_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
    virtual tresult V3_API setActive(TBool state) = 0;
    virtual tresult V3_API setState(IBStream* state) = 0;
    virtual tresult V3_API getState(IBStream* state) = 0;
};

struct ProcessSetup {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 maxSamplesPerBlock;
    SampleRate sampleRate;
};

struct AudioBusBuffers {
    int32 numChannels;
    uint64 silenceFlags;
    union {
        Sample32** channelBuffers32;
        Sample64** channelBuffers64;
    };
};

struct Chord {
    uint8 keyNote;
    uint8 rootNote;
    int16 chordMask;
};

struct FrameRate {
    uint32 framesPerSecond;
    uint32 flags;
};

struct ProcessContext {
    uint32 state;
    double sampleRate;
    TSamples projectTimeSamples;
    int64 systemTime;
    TSamples continousTimeSamples;
    double projectTimeMusic;
    double barPositionMusic;
    double cycleStartMusic;
    double cycleEndMusic;
    double tempo;
    int32 timeSigNumerator;
    int32 timeSigDenominator;
    Chord chord;
    int32 smpteOffsetSubframes;
    FrameRate frameRate;
    int32 samplesToNextClock;
};

class IParamValueQueue : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA});
    virtual ParamID V3_API getParameterId() = 0;
    virtual int32 V3_API getPointCount() = 0;
    virtual tresult V3_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
    virtual tresult V3_API addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;
};

class IParameterChanges : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D});
    virtual int32 V3_API getParameterCount() = 0;
    virtual IParamValueQueue* V3_API getParameterData(int32 index) = 0;
    virtual IParamValueQueue* V3_API addParameterData(const ParamID& id, int32& index) = 0;
};

constexpr uint16 kNoteOnEvent = 0, kNoteOffEvent = 1, kDataEvent = 2, kPolyPressureEvent = 3;

struct NoteOnEvent {
    int16 channel;
    int16 pitch;
    float tuning;
    float velocity;
    int32 length;
    int32 noteId;
};

struct NoteOffEvent {
    int16 channel;
    int16 pitch;
    float velocity;
    int32 noteId;
    float tuning;
};

struct DataEvent {
    uint32 size;
    uint32 type;
    const uint8* bytes;
};

struct PolyPressureEvent {
    int16 channel;
    int16 pitch;
    float pressure;
    int32 noteId;
};

// 32-bit Windows packs the two note-expression records to 4, which lowers
// the whole event union's alignment to 4 there.
#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(push, 4)
#endif
struct NoteExpressionValueEvent {
    uint32 typeId;
    int32 noteId;
    double value;
};

struct NoteExpressionTextEvent {
    uint32 typeId;
    int32 noteId;
    uint32 textLen;
    const TChar* text;
};
#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(pop)
#endif

struct ChordEvent {
    int16 root;
    int16 bassNote;
    int16 mask;
    uint16 textLen;
    const TChar* text;
};

struct ScaleEvent {
    int16 root;
    int16 mask;
    uint16 textLen;
    const TChar* text;
};

struct LegacyMIDICCOutEvent {
    uint8 controlNumber;
    int8 channel;
    int8 value;
    int8 value2;
};

// The union is the size of the largest record hosts may copy: 24 bytes on
// 64-bit, 20 on 32-bit Windows, aligned like a pointer.
#if defined(_WIN32) && !defined(_WIN64)
constexpr size_t kEventUnionBytes = 20;
#else
constexpr size_t kEventUnionBytes = 24;
#endif

struct Event {
    int32 busIndex;
    int32 sampleOffset;
    double ppqPosition;
    uint16 flags;
    uint16 type;
    union {
        NoteOnEvent noteOn;
        NoteOffEvent noteOff;
        DataEvent data;
        PolyPressureEvent polyPressure;
        NoteExpressionValueEvent noteExpressionValue;
        NoteExpressionTextEvent noteExpressionText;
        ChordEvent chord;
        ScaleEvent scale;
        LegacyMIDICCOutEvent midiCCOut;
        alignas(void*) uint8 bytes[kEventUnionBytes];
    };
};

class IEventList : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44});
    virtual int32 V3_API getEventCount() = 0;
    virtual tresult V3_API getEvent(int32 index, Event& e) = 0;
    virtual tresult V3_API addEvent(Event& e) = 0;
};

struct ProcessData {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 numSamples;
    int32 numInputs;
    int32 numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    IEventList* inputEvents;
    IEventList* outputEvents;
    ProcessContext* processContext;
};

class IAudioProcessor : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D});
    virtual tresult V3_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                              int32 numOuts) = 0;
    virtual tresult V3_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) = 0;
    virtual tresult V3_API canProcessSampleSize(int32 symbolicSampleSize) = 0;
    virtual uint32 V3_API getLatencySamples() = 0;
    virtual tresult V3_API setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult V3_API setProcessing(TBool state) = 0;
    virtual tresult V3_API process(ProcessData& data) = 0;
    virtual uint32 V3_API getTailSamples() = 0;
};

class IProcessContextRequirements : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0});
    virtual uint32 V3_API getProcessContextRequirements() = 0;
};

// ---- Controller ----

constexpr int32 kCanAutomate = 1, kIsReadOnly = 2, kIsBypass = 1 << 16;
constexpr UnitID kRootUnitId = 0;

struct ParameterInfo {
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32 stepCount;
    ParamValue defaultNormalizedValue;
    UnitID unitId;
    int32 flags;
};

// Units (one root unit; no IUnitInfo yet) and the editor's rectangle.
struct UnitInfo {
    UnitID id;
    UnitID parentUnitId;
    String128 name;
    int32 programListId;
};

struct ProgramListInfo {
    int32 id;
    String128 name;
    int32 programCount;
};

struct ViewRect {
    int32 left, top, right, bottom;
};

class IComponentHandler : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6});
    virtual tresult V3_API beginEdit(ParamID id) = 0;
    virtual tresult V3_API performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult V3_API endEdit(ParamID id) = 0;
    virtual tresult V3_API restartComponent(int32 flags) = 0;
};

class IPlugView;

class IEditController : public IPluginBase {
public:
    static constexpr Tuid iid = toTuid({0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E});
    virtual tresult V3_API setComponentState(IBStream* state) = 0;
    virtual tresult V3_API setState(IBStream* state) = 0;
    virtual tresult V3_API getState(IBStream* state) = 0;
    virtual int32 V3_API getParameterCount() = 0;
    virtual tresult V3_API getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
    virtual tresult V3_API getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
    virtual tresult V3_API getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) = 0;
    virtual ParamValue V3_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue V3_API plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue V3_API getParamNormalized(ParamID id) = 0;
    virtual tresult V3_API setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult V3_API setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* V3_API createView(FIDString name) = 0;
};

// ---- Editor ----

class IPlugFrame;

class IPlugView : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29});
    virtual tresult V3_API isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult V3_API attached(void* parent, FIDString type) = 0;
    virtual tresult V3_API removed() = 0;
    virtual tresult V3_API onWheel(float distance) = 0;
    virtual tresult V3_API onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult V3_API onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult V3_API getSize(ViewRect* size) = 0;
    virtual tresult V3_API onSize(ViewRect* newSize) = 0;
    virtual tresult V3_API onFocus(TBool state) = 0;
    virtual tresult V3_API setFrame(IPlugFrame* frame) = 0;
    virtual tresult V3_API canResize() = 0;
    virtual tresult V3_API checkSizeConstraint(ViewRect* rect) = 0;
};

class IPlugFrame : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3});
    virtual tresult V3_API resizeView(IPlugView* view, ViewRect* newSize) = 0;
};

class IPlugViewContentScaleSupport : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F});
    virtual tresult V3_API setContentScaleFactor(float factor) = 0;
};

// The host's run loop on Linux, found on the view's frame, and the two
// kinds of handler an editor registers with it.
class IEventHandler : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983});
    virtual void V3_API onFDIsSet(int fd) = 0;
};

class ITimerHandler : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9});
    virtual void V3_API onTimer() = 0;
};

class IRunLoop : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389});
    virtual tresult V3_API registerEventHandler(IEventHandler* handler, int fd) = 0;
    virtual tresult V3_API unregisterEventHandler(IEventHandler* handler) = 0;
    virtual tresult V3_API registerTimer(ITimerHandler* handler, uint64 milliseconds) = 0;
    virtual tresult V3_API unregisterTimer(ITimerHandler* handler) = 0;
};

class IMidiMapping : public FUnknown {
public:
    static constexpr Tuid iid = toTuid({0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5});
    virtual tresult V3_API getMidiControllerAssignment(int32 busIndex, int16 channel, CtrlNumber midiControllerNumber,
                                                       ParamID& id) = 0;
};

#pragma pack(pop)

// Sizes and offsets hosts rely on, per target.
static_assert(sizeof(Tuid) == 16 && alignof(Tuid) == 1, "an ID is 16 bytes");
static_assert(sizeof(PFactoryInfo) == 452 && alignof(PFactoryInfo) == 4, "PFactoryInfo");
static_assert(sizeof(PClassInfo) == 116 && alignof(PClassInfo) == 4, "PClassInfo");
static_assert(sizeof(PClassInfo2) == 440 && alignof(PClassInfo2) == 4, "PClassInfo2");
static_assert(offsetof(PClassInfo2, subCategories) == 120 && offsetof(PClassInfo2, sdkVersion) == 376, "PClassInfo2");
static_assert(sizeof(PClassInfoW) == 696 && alignof(PClassInfoW) == 4, "PClassInfoW");
static_assert(offsetof(PClassInfoW, classFlags) == 180 && offsetof(PClassInfoW, vendor) == 312 &&
                  offsetof(PClassInfoW, sdkVersion) == 568,
              "PClassInfoW");
static_assert(sizeof(BusInfo) == 276 && alignof(BusInfo) == 4 && offsetof(BusInfo, busType) == 268, "BusInfo");
static_assert(sizeof(RoutingInfo) == 12, "RoutingInfo");
static_assert(sizeof(ProcessSetup) == 24 && alignof(ProcessSetup) == 8 && offsetof(ProcessSetup, sampleRate) == 16,
              "ProcessSetup");
static_assert(sizeof(AudioBusBuffers) == 24 && alignof(AudioBusBuffers) == 8 &&
                  offsetof(AudioBusBuffers, silenceFlags) == 8 && offsetof(AudioBusBuffers, channelBuffers32) == 16,
              "AudioBusBuffers");
static_assert(sizeof(ProcessContext) == 112 && alignof(ProcessContext) == 8 && offsetof(ProcessContext, tempo) == 72 &&
                  offsetof(ProcessContext, chord) == 88 && offsetof(ProcessContext, frameRate) == 96 &&
                  offsetof(ProcessContext, samplesToNextClock) == 104,
              "ProcessContext");
static_assert(sizeof(Chord) == 4 && sizeof(FrameRate) == 8, "Chord, FrameRate");
static_assert(sizeof(NoteOnEvent) == 20 && sizeof(NoteOffEvent) == 16 && sizeof(PolyPressureEvent) == 12,
              "note records");
static_assert(sizeof(ParameterInfo) == 792 && alignof(ParameterInfo) == 8 &&
                  offsetof(ParameterInfo, stepCount) == 772 && offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
                  offsetof(ParameterInfo, flags) == 788,
              "ParameterInfo");
static_assert(offsetof(Event, flags) == 16 && offsetof(Event, type) == 18, "Event header");
static_assert(sizeof(LegacyMIDICCOutEvent) == 4 && alignof(LegacyMIDICCOutEvent) == 1, "LegacyMIDICCOutEvent");
static_assert(sizeof(UnitInfo) == 268 && alignof(UnitInfo) == 4 && offsetof(UnitInfo, programListId) == 264,
              "UnitInfo");
static_assert(sizeof(ProgramListInfo) == 264 && alignof(ProgramListInfo) == 4, "ProgramListInfo");
static_assert(sizeof(ViewRect) == 16 && alignof(ViewRect) == 4, "ViewRect");
static_assert(sizeof(Chord) == 4 && alignof(Chord) == 2 && sizeof(FrameRate) == 8 && alignof(FrameRate) == 4,
              "Chord, FrameRate alignment");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(void*) == 4, "32-bit Windows");
static_assert(sizeof(ProcessData) == 48 && alignof(ProcessData) == 4 && offsetof(ProcessData, inputs) == 20 &&
                  offsetof(ProcessData, processContext) == 44,
              "ProcessData, 32-bit Windows");
static_assert(sizeof(Event) == 40 && alignof(Event) == 8 && offsetof(Event, noteOn) == 20, "Event, 32-bit Windows");
static_assert(sizeof(DataEvent) == 12, "DataEvent, 32-bit Windows");
static_assert(sizeof(NoteExpressionValueEvent) == 16 && alignof(NoteExpressionValueEvent) == 4,
              "NoteExpressionValueEvent, 32-bit Windows");
static_assert(sizeof(NoteExpressionTextEvent) == 16 && alignof(NoteExpressionTextEvent) == 4 &&
                  offsetof(NoteExpressionTextEvent, text) == 12,
              "NoteExpressionTextEvent, 32-bit Windows");
static_assert(sizeof(ChordEvent) == 12 && sizeof(ScaleEvent) == 12, "ChordEvent, ScaleEvent, 32-bit Windows");
#else
static_assert(sizeof(void*) == 8, "64-bit targets only, besides 32-bit Windows");
static_assert(sizeof(ProcessData) == 80 && alignof(ProcessData) == 8 && offsetof(ProcessData, inputs) == 24 &&
                  offsetof(ProcessData, processContext) == 72,
              "ProcessData");
static_assert(sizeof(Event) == 48 && alignof(Event) == 8 && offsetof(Event, noteOn) == 24, "Event");
static_assert(sizeof(DataEvent) == 16, "DataEvent");
static_assert(sizeof(NoteExpressionValueEvent) == 16 && alignof(NoteExpressionValueEvent) == 8,
              "NoteExpressionValueEvent");
static_assert(sizeof(NoteExpressionTextEvent) == 24 && alignof(NoteExpressionTextEvent) == 8 &&
                  offsetof(NoteExpressionTextEvent, text) == 16,
              "NoteExpressionTextEvent");
static_assert(sizeof(ChordEvent) == 16 && sizeof(ScaleEvent) == 16 && alignof(ChordEvent) == 8, "ChordEvent, ScaleEvent");
#endif

}  // namespace v3
