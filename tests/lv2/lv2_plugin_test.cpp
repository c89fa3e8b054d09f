// The LV2 bundle as a host finds it through lilv: what the plug-in says it
// is, its version, its ports and features, its controls' units and named
// positions, its preset, and its instance playing MIDI at the events'
// frames, reporting the keys it plays in events of its own, and taking bad
// input from a host without harm.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/presets/presets.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/epiano_engine.h"
#include "tools/lv2host/lv2_host.h"

namespace {

constexpr const char* kPluginUri = "urn:qelt:epiano";
constexpr const char* kPresetUri = "urn:qelt:epiano:preset:default";
constexpr const char* kKeyStateUri = "urn:qelt:epiano#KeyState";
constexpr const char* kAllKeysUpUri = "urn:qelt:epiano#AllKeysUp";
constexpr double kRate = 48000;

std::string text(const LilvNode* node) { return node ? lilv_node_as_string(node) : std::string(); }

std::set<std::string> texts(const LilvNodes* nodes) {
    std::set<std::string> out;
    LILV_FOREACH(nodes, i, nodes) out.insert(text(lilv_nodes_get(nodes, i)));
    return out;
}

// The texts of a collection the caller owns, which is freed.
std::set<std::string> takeTexts(LilvNodes* nodes) {
    std::set<std::string> out = texts(nodes);
    lilv_nodes_free(nodes);
    return out;
}

std::string display(int index, float value) {
    EpianoEngine engine;
    engine.setParameter(index, value);
    char text[64] = {}, label[64] = {};
    engine.parameterDisplay(index, text);
    EpianoEngine::parameterLabel(index, label);
    return std::string(text) + " " + label;
}

class Lv2Bundle : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        ASSERT_TRUE(world.loadBundle(QELT_LV2_BUNDLE, &why)) << why;
        plugin = world.plugin();
    }

    std::unique_ptr<Lv2Instance> instance(uint32_t maxBlock = 4096, uint32_t atomCapacity = 65536) {
        Lv2Instance::Setup setup;
        setup.sampleRate = kRate;
        setup.maxBlock = maxBlock;
        setup.atomOutputCapacity = atomCapacity;
        std::string why;
        auto made = Lv2Instance::create(world, setup, &why);
        EXPECT_TRUE(made) << why;
        return made;
    }

    // Plays `events` (frames from the start) in blocks of `block` for `frames` frames; left then right.
    static std::vector<float> play(Lv2Instance& p, const std::vector<Lv2Midi>& events, uint32_t block,
                                   uint32_t frames) {
        std::vector<float> left, right;
        size_t next = 0;
        for (uint32_t at = 0; at < frames; at += block) {
            uint32_t n = std::min(block, frames - at);
            std::vector<Lv2Midi> due;
            for (; next < events.size() && events[next].frame < at + n; next++) {
                due.push_back(events[next]);
                due.back().frame -= at;
            }
            p.run(due, n);
            left.insert(left.end(), p.output(0), p.output(0) + n);
            right.insert(right.end(), p.output(1), p.output(1) + n);
        }
        left.insert(left.end(), right.begin(), right.end());
        return left;
    }

    // What the last run wrote to the notes output, an event a line: "FRAME:
    // key KEY VELOCITY", "FRAME: all keys up", or the type of anything else.
    std::vector<std::string> notesSaid(const Lv2Instance& p) {
        std::vector<std::string> out;
        for (const Lv2OutputEvent& e : p.eventsOut()) {
            std::string what = world.urids.unmap(e.type);
            if (e.type == world.urids.map(kKeyStateUri) && e.body.size() == 2)
                what = "key " + std::to_string(e.body[0]) + " " + std::to_string(e.body[1]);
            else if (e.type == world.urids.map(kAllKeysUpUri) && e.body.empty())
                what = "all keys up";
            out.push_back(std::to_string(e.frame) + ": " + what);
        }
        return out;
    }

    Lv2World world;
    const LilvPlugin* plugin = nullptr;
};

// MAJOR.MINOR.MICRO from the VERSION file at the top of the tree.
bool releaseVersion(int* major, int* minor, int* micro) {
    std::ifstream in(QELT_VERSION_FILE);
    std::string line;
    char rest = 0;
    return std::getline(in, line) && std::sscanf(line.c_str(), "%d.%d.%d%c", major, minor, micro, &rest) == 3;
}

// LV2 hosts take odd minor or micro numbers for development versions, and a
// minor version of 0 for an unstable plug-in.
TEST_F(Lv2Bundle, CarriesTheReleaseVersionAsAStableOne) {
    int major = -1, minor = -1, micro = -1;
    ASSERT_TRUE(releaseVersion(&major, &minor, &micro)) << QELT_VERSION_FILE;
    auto number = [&](const char* property) {
        LilvNode* value = lilv_world_get(world.world(), lilv_plugin_get_uri(plugin), world.node(property), nullptr);
        const int out = value && lilv_node_is_int(value) ? lilv_node_as_int(value) : -1;
        lilv_node_free(value);
        return out;
    };
    EXPECT_EQ(number(LV2_CORE__minorVersion), minor);
    EXPECT_EQ(number(LV2_CORE__microVersion), micro);
    EXPECT_NE(minor, 0);
    EXPECT_EQ(minor % 2, 0);
    EXPECT_EQ(micro % 2, 0);
}

TEST_F(Lv2Bundle, IsTheInstrumentWithItsNameClassAndFeatures) {
    EXPECT_EQ(text(lilv_plugin_get_uri(plugin)), kPluginUri);
    LilvNode* name = lilv_plugin_get_name(plugin);
    EXPECT_EQ(text(name), "Qelt ePiano");
    lilv_node_free(name);
    EXPECT_EQ(text(lilv_plugin_class_get_uri(lilv_plugin_get_class(plugin))), LV2_CORE__InstrumentPlugin);
    EXPECT_EQ(takeTexts(lilv_plugin_get_required_features(plugin)), std::set<std::string>{LV2_URID__map});
    EXPECT_EQ(takeTexts(lilv_plugin_get_optional_features(plugin)), std::set<std::string>{LV2_CORE__hardRTCapable});
    EXPECT_EQ(takeTexts(lilv_plugin_get_extension_data(plugin)), std::set<std::string>{});
}

// The ports in index order. The controls' defaults are compared with a fresh
// engine's values, so that equal values sound the same in every format.
TEST_F(Lv2Bundle, HasMidiInStereoOutFiveControlsAndNotesOut) {
    struct Expected {
        const char* symbol;
        const char* name;
        std::set<std::string> classes;
        std::set<std::string> events;  // the event types an atom port declares
    };
    const std::set<std::string> atomIn = {LV2_CORE__InputPort, LV2_ATOM__AtomPort},
                                atomOut = {LV2_CORE__OutputPort, LV2_ATOM__AtomPort},
                                audioOut = {LV2_CORE__OutputPort, LV2_CORE__AudioPort},
                                controlIn = {LV2_CORE__InputPort, LV2_CORE__ControlPort};
    // The notes output is no MIDI output: its events are the UI's alone.
    const Expected expected[] = {
        {"midi_in", "MIDI in", atomIn, {LV2_MIDI__MidiEvent}},
        {"out_left", "Left", audioOut, {}},
        {"out_right", "Right", audioOut, {}},
        {"sustain", "Sustain", controlIn, {}},
        {"treble", "Treble", controlIn, {}},
        {"lfo_depth", "LFO depth", controlIn, {}},
        {"lfo_rate", "LFO Rate", controlIn, {}},
        {"volume", "Volume", controlIn, {}},
        {"notes_out", "Notes played", atomOut, {kKeyStateUri, kAllKeysUpUri}},
    };
    const char* eventTypes[] = {LV2_MIDI__MidiEvent, kKeyStateUri, kAllKeysUpUri};
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), std::size(expected));
    EpianoEngine fresh;
    LilvNode* sequence = lilv_new_uri(world.world(), LV2_ATOM__Sequence);
    LilvNode* bufferType = lilv_new_uri(world.world(), LV2_ATOM__bufferType);
    int control = 0;
    for (uint32_t i = 0; i < std::size(expected); i++) {
        SCOPED_TRACE(expected[i].symbol);
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        EXPECT_EQ(text(lilv_port_get_symbol(plugin, port)), expected[i].symbol);
        LilvNode* name = lilv_port_get_name(plugin, port);
        EXPECT_EQ(text(name), expected[i].name);
        lilv_node_free(name);
        EXPECT_EQ(texts(lilv_port_get_classes(plugin, port)), expected[i].classes);
        for (const char* type : eventTypes)
            EXPECT_EQ(lilv_port_supports_event(plugin, port, world.node(type)), expected[i].events.count(type) == 1)
                << type;
        if (!expected[i].events.empty()) {
            EXPECT_EQ(takeTexts(lilv_port_get_value(plugin, port, bufferType)),
                      std::set<std::string>{LV2_ATOM__Sequence});
        }
        if (expected[i].classes == controlIn) {
            LilvNode *def, *min, *max;
            lilv_port_get_range(plugin, port, &def, &min, &max);
            ASSERT_TRUE(def && min && max);
            EXPECT_EQ(lilv_node_as_float(def), fresh.getParameter(control));
            EXPECT_EQ(lilv_node_as_float(min), 0.f);
            EXPECT_EQ(lilv_node_as_float(max), 1.f);
            char engineName[16] = {};
            EpianoEngine::parameterName(control, engineName);
            EXPECT_EQ(expected[i].name, std::string(engineName)) << "the VST parameter's name";
            lilv_node_free(def);
            lilv_node_free(min);
            lilv_node_free(max);
            control++;
        }
    }
    EXPECT_EQ(control, kNumParams);
    // The bundle says what its own event types are: atoms.
    for (const char* type : {kKeyStateUri, kAllKeysUpUri}) {
        EXPECT_TRUE(lilv_world_ask(world.world(), world.node(type), world.node(LILV_NS_RDFS "subClassOf"),
                                   world.node(LV2_ATOM__Atom)))
            << type;
    }
    lilv_node_free(sequence);
    lilv_node_free(bufferType);
}

// A host's own controls name the values the VST display names: each named
// position of the parameter table is a scale point labelled with the VST
// text and label there. Only the volume's value has a unit (a gain factor);
// the others are places on a knob, with no physical unit of their own.
TEST_F(Lv2Bundle, ControlsCarryTheirUnitAndNamedPositions) {
    const LilvNode* unitProperty = world.node(LV2_UNITS__unit);
    for (int i = 0; i < kNumParams; i++) {
        SCOPED_TRACE(kParameters[i].symbol);
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, 3 + (uint32_t)i);
        std::map<float, std::string> points;
        LilvScalePoints* found = lilv_port_get_scale_points(plugin, port);
        LILV_FOREACH(scale_points, p, found) {
            const LilvScalePoint* point = lilv_scale_points_get(found, p);
            points[lilv_node_as_float(lilv_scale_point_get_value(point))] = text(lilv_scale_point_get_label(point));
        }
        lilv_scale_points_free(found);
        std::map<float, std::string> named;
        for (int n = 0; n < kParameters[i].namedPositionCount; n++) {
            const float value = kParameters[i].namedPositions[n];
            named[value] = display(i, value);
        }
        EXPECT_EQ(points, named);

        const std::set<std::string> units = takeTexts(lilv_port_get_value(plugin, port, unitProperty));
        EXPECT_EQ(units, i == kVolume ? std::set<std::string>{LV2_UNITS__coef} : std::set<std::string>{});
        for (const std::string& unit : units) {
            EXPECT_TRUE(lilv_world_ask(world.world(), world.node(unit.c_str()), world.node(LILV_NS_RDF "type"),
                                       world.node(LV2_UNITS__Unit)))
                << unit << " is a unit the LV2 vocabulary knows";
        }
    }
    const LilvPort* depth = lilv_plugin_get_port_by_index(plugin, 3 + kLfoDepth);
    LilvScalePoints* ends = lilv_port_get_scale_points(plugin, depth);
    std::set<std::string> labels;
    LILV_FOREACH(scale_points, p, ends) labels.insert(text(lilv_scale_point_get_label(lilv_scale_points_get(ends, p))));
    lilv_scale_points_free(ends);
    EXPECT_TRUE(labels.count("Pan 100 %") && labels.count("Trem 100 %")) << "the LFO's ends: auto-pan and tremolo";
}

// The preset is found as a host finds it (related to the plug-in), and
// applying it over other values gives the default sound.
TEST_F(Lv2Bundle, TheDefaultPresetRestoresTheProgramsSound) {
    LilvNode* presetClass = lilv_new_uri(world.world(), LV2_PRESETS__Preset);
    EXPECT_EQ(takeTexts(lilv_plugin_get_related(plugin, presetClass)), std::set<std::string>{kPresetUri});
    lilv_node_free(presetClass);

    const std::vector<Lv2Midi> phrase = {lv2Midi(100, 0x90, 60, 100), lv2Midi(100, 0x90, 67, 30),
                                         lv2Midi(9000, 0xB0, 1, 90), lv2Midi(20000, 0x80, 60, 0)};
    auto reference = instance();
    std::vector<float> defaults = play(*reference, phrase, 512, 30000);

    auto moved = instance();
    for (size_t i = 0; i < moved->controlCount(); i++) moved->setControl(i, 0.1f + 0.2f * (float)i);
    std::vector<float> other = play(*moved, phrase, 512, 30000);
    EXPECT_NE(other, defaults) << "the moved controls change the sound";
    std::string why;
    ASSERT_TRUE(moved->applyPreset(kPresetUri, &why)) << why;
    EpianoEngine fresh;
    for (size_t i = 0; i < moved->controlCount(); i++) EXPECT_EQ(moved->control(i), fresh.getParameter((int32_t)i));
    moved->deactivate();
    moved->activate();  // starts over, as a host does before a new take
    EXPECT_EQ(play(*moved, phrase, 512, 30000), defaults);
}

// A note at any frame of any block starts there: silence up to its frame,
// sound from it, whatever the block size.
TEST_F(Lv2Bundle, NotesStartAtTheirFramesInsideBlocksOfAnySize) {
    const uint32_t blocks[] = {1, 7, 512, 4096};
    const uint32_t onsets[] = {0, 1, 6, 511, 513, 4095, 4099, 10000};
    for (uint32_t block : blocks) {
        for (uint32_t onset : onsets) {
            SCOPED_TRACE("block " + std::to_string(block) + ", note at " + std::to_string(onset));
            auto p = instance(block);
            std::vector<float> out = play(*p, {lv2Midi(onset, 0x90, 69, 110)}, block, onset + 64);
            const uint32_t frames = onset + 64;
            size_t first = frames;
            for (size_t i = 0; i < frames && first == frames; i++)
                if (out[i] != 0.f || out[frames + i] != 0.f) first = i;
            EXPECT_EQ(first, onset) << "the first frame that sounds";
        }
    }
}

// LV2 allows run() with no frames. MIDI handed over with it waits for the
// next run's first frame: a chord released, or freed by a pedal-up, there
// dies away as from a run of 512; a note-on there sounds from that frame.
TEST_F(Lv2Bundle, MidiInARunOfNoFramesPlaysAtTheNextRunsFirstFrame) {
    struct Case {
        const char* what;
        bool chord, underPedal;  // a chord sounding before, its keys let go under the pedal
        std::vector<Lv2Midi> atZero;
        bool soundsAfter;  // a second later
    };
    std::vector<Lv2Midi> releases;
    for (uint8_t key : {61, 65, 68}) releases.push_back(lv2Midi(100, 0x80, key, 0));
    const Case cases[] = {
        {"note-offs", true, false, releases, false},
        {"a pedal-up after note-offs under the pedal", true, true, {lv2Midi(0, 0xB0, 64, 0)}, false},
        {"a note-on", false, false, {lv2Midi(300, 0x90, 80, 100)}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto p = instance();
        std::vector<Lv2Midi> before = {lv2Midi(0, 0xB0, 64, c.underPedal ? 127 : 0)};
        for (uint8_t key : {61, 65, 68}) {
            if (c.chord) before.push_back(lv2Midi(0, 0x90, key, 100));
            if (c.underPedal) before.push_back(lv2Midi(10, 0x80, key, 0));
        }
        play(*p, before, 512, 512);
        p->run(c.atZero, 0);
        p->run({}, 1);
        if (!c.chord) {
            EXPECT_NE(p->output(0)[0], 0.f) << "the note sounds from the next run's first frame";
        }
        std::vector<float> after = play(*p, {}, 512, (uint32_t)kRate);
        float tail = 0.f;
        for (uint32_t i = (uint32_t)kRate - 4800; i < (uint32_t)kRate; i++)
            tail = std::max({tail, std::fabs(after[i]), std::fabs(after[(uint32_t)kRate + i])});
        if (c.soundsAfter) {
            EXPECT_GT(tail, 1e-4f) << "the new note";
        } else {
            EXPECT_LT(tail, 1e-4f) << "the chord rings on";
        }
    }
}

// The notes output carries what the instrument plays, as events of its own
// type at the frames where the notes play: keys of the 88, with their
// velocities, and 0 on release; never past the host's buffer.
TEST_F(Lv2Bundle, TheNotesOutputReportsPlayedKeysAtTheirFramesWithinItsCapacity) {
    auto p = instance(512);
    p->run({lv2Midi(0, 0x90, 60, 100), lv2Midi(3, 0x90, 108, 1), lv2Midi(5, 0x90, 20, 90), lv2Midi(7, 0x80, 60, 64),
            lv2Midi(9, 0xB0, 64, 127), lv2Midi(9, 0x90, 21, 127)},
           64);
    ASSERT_TRUE(p->outputsInBounds());
    EXPECT_EQ(notesSaid(*p),
              (std::vector<std::string>{"0: key 60 100", "3: key 108 1", "7: key 60 0", "9: key 21 127"}))
        << "key 20 is off the keyboard; the pedal is no key";
    p->run({}, 64);
    EXPECT_TRUE(p->eventsOut().empty()) << "each run starts an empty sequence";

    // Frames inside longer blocks, a message past the block's end, and one
    // handed over in a run of no frames, which plays at the next run's first.
    p->run({lv2Midi(300, 0x90, 64, 90), lv2Midi(9999, 0x80, 64, 0)}, 512);
    EXPECT_EQ(notesSaid(*p), (std::vector<std::string>{"300: key 64 90", "511: key 64 0"}));
    p->run({lv2Midi(40, 0x90, 70, 80)}, 0);
    EXPECT_TRUE(p->eventsOut().empty());
    p->run({lv2Midi(5, 0x90, 72, 80)}, 64);
    EXPECT_EQ(notesSaid(*p), (std::vector<std::string>{"0: key 70 80", "5: key 72 80"}));

    const uint32_t capacities[] = {0, 8, 16, 40, 100};
    for (uint32_t capacity : capacities) {
        SCOPED_TRACE("capacity " + std::to_string(capacity));
        auto small = instance(512, capacity);
        std::vector<Lv2Midi> chord;
        for (uint8_t key = 40; key < 80; key++) chord.push_back(lv2Midi(key, 0x90, key, 80));
        small->run(chord, 512);
        EXPECT_TRUE(small->outputsInBounds());
        EXPECT_LE(small->eventsOut().size() * 24 + 16, std::max<size_t>(capacity, 16));
        EXPECT_NE(small->output(0)[500], 0.f) << "the chord plays whether reported or not";
    }
}

// Whatever the engine takes as stopping every note darkens every key: all
// notes off and the mode messages, the program selected, and the host's
// re-activation. The engine takes such messages as they come, ahead of the
// block's notes, so the release is at frame 0 and the block's notes follow.
TEST_F(Lv2Bundle, EveryKeyIsReleasedWhenEveryNoteStops) {
    struct Case {
        const char* what;
        std::vector<Lv2Midi> stop;
        bool releases;
    };
    const Case cases[] = {
        {"all notes off", {lv2Midi(20, 0xB0, 123, 0)}, true},
        {"omni off", {lv2Midi(20, 0xB3, 124, 0)}, true},
        {"omni on", {lv2Midi(20, 0xB0, 125, 0)}, true},
        {"mono", {lv2Midi(20, 0xB0, 126, 1)}, true},
        {"poly", {lv2Midi(20, 0xB0, 127, 0)}, true},
        {"the program selected", {lv2Midi(20, 0xC0, 0, 0)}, true},
        {"twice in a block: released once", {lv2Midi(20, 0xB0, 123, 0), lv2Midi(21, 0xC0, 0, 0)}, true},
        {"a program that is not there", {lv2Midi(20, 0xC0, 3, 0)}, false},
        {"all sound off, which the engine leaves alone", {lv2Midi(20, 0xB0, 120, 0)}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto p = instance();
        p->run({lv2Midi(0, 0x90, 60, 100), lv2Midi(0, 0x90, 64, 100)}, 64);
        std::vector<Lv2Midi> block = {lv2Midi(10, 0x90, 67, 90)};
        block.insert(block.end(), c.stop.begin(), c.stop.end());
        block.push_back(lv2Midi(30, 0x90, 72, 90));
        p->run(block, 64);
        std::vector<std::string> said = {"10: key 67 90", "30: key 72 90"};
        if (c.releases) said.insert(said.begin(), "0: all keys up");
        EXPECT_EQ(notesSaid(*p), said);
    }

    auto p = instance();
    p->deactivate();
    p->activate();  // before any run: nothing to start over from
    p->run({}, 64);
    EXPECT_TRUE(p->eventsOut().empty()) << "a new instance has no key down";
    p->run({lv2Midi(0, 0x90, 60, 100)}, 64);
    p->deactivate();
    p->activate();
    p->run({lv2Midi(2, 0x90, 62, 100)}, 64);
    EXPECT_EQ(notesSaid(*p), (std::vector<std::string>{"0: all keys up", "2: key 62 100"}));
    p->run({}, 64);
    EXPECT_TRUE(p->eventsOut().empty()) << "said once";
}

// What a careless host may hand over: no instance without the URID map or at
// a rate the engine cannot play, and from run no crash and nothing but
// finite samples.
TEST_F(Lv2Bundle, BadInputFromAHostGetsASafeAnswer) {
    const double rates[] = {0, -44100, 999, NAN, INFINITY, 1e300};
    for (double rate : rates) {
        LilvInstance* refused = lilv_plugin_instantiate(plugin, rate, world.urids.features());
        EXPECT_EQ(refused, nullptr) << "rate " << rate;
        if (refused) lilv_instance_free(refused);
    }
    const LV2_Feature* none[] = {nullptr};
    EXPECT_EQ(lilv_plugin_instantiate(plugin, kRate, none), nullptr) << "without urid:map";

    LilvInstance* bare = lilv_plugin_instantiate(plugin, kRate, world.urids.features());
    ASSERT_NE(bare, nullptr);
    lilv_instance_activate(bare);
    lilv_instance_run(bare, 256);  // no port connected
    for (uint32_t port = 0; port < 64; port++) lilv_instance_connect_port(bare, port, nullptr);
    lilv_instance_run(bare, 0);
    lilv_instance_deactivate(bare);
    lilv_instance_free(bare);

    auto p = instance(512);
    const float values[] = {NAN, INFINITY, -INFINITY, -5.f, 7.f, 1e30f};
    std::vector<Lv2Midi> messy = {lv2Midi(4000, 0x90, 60, 127),  // past the block: taken at its end
                                  lv2Midi(0, 0x90, 200, 200),    // data bytes with the top bit set
                                  lv2Midi(0, 0xF0, 1, 2),        // system messages
                                  lv2Midi(0, 0xC0, 5, 0),        // a program that is not there
                                  lv2Midi(0, 0x45, 1, 2)};       // no status byte
    Lv2Midi empty = lv2Midi(0, 0x90, 0, 0);
    empty.size = 0;
    messy.push_back(empty);
    for (float value : values) {
        for (size_t i = 0; i < p->controlCount(); i++) p->setControl(i, value);
        p->run(messy, 512);
        for (size_t c = 0; c < 2; c++)
            for (uint32_t f = 0; f < 512; f++) ASSERT_TRUE(std::isfinite(p->output(c)[f])) << "control value " << value;
    }
    // The note sent past a block's end was played at its last frame.
    for (size_t i = 0; i < p->controlCount(); i++) p->setControl(i, 0.5f);
    auto q = instance(512);
    q->run({lv2Midi(9999, 0x90, 60, 100)}, 512);
    EXPECT_EQ(q->output(0)[510], 0.f);
    EXPECT_NE(q->output(0)[511], 0.f);
}

// A control's new value applies from the start of the run that sees it,
// and a run that sees no change changes nothing.
TEST_F(Lv2Bundle, AControlChangeAppliesFromTheRunThatSeesIt) {
    const std::vector<Lv2Midi> chord = {lv2Midi(0, 0x90, 48, 100), lv2Midi(0, 0x90, 55, 100)};
    auto steady = instance(256);
    auto turned = instance(256);
    std::vector<float> a = play(*steady, chord, 256, 2048);
    std::vector<float> b = play(*turned, chord, 256, 2048);
    ASSERT_EQ(a, b);
    const size_t volume = kVolume;
    steady->run({}, 256);
    turned->setControl(volume, 0.5f);
    turned->run({}, 256);
    for (uint32_t f = 0; f < 256; f++) {
        ASSERT_NE(steady->output(0)[f], 0.f);
        EXPECT_EQ(turned->output(0)[f], 0.5f * steady->output(0)[f]) << "frame " << f;
    }
}

}  // namespace
