#include "tools/lv2host/lv2_host.h"

#include <dirent.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

constexpr uint64_t kGuardPattern = 0xA5A5A5A5A5A5A5A5ull;
constexpr size_t kGuardWords = 8;        // past the capacity a host states: must stay as the host left it
constexpr uint32_t kMidiEventSlot = 24;  // an event of up to 8 bytes, padded

std::string text(const LilvNode* node) { return node ? lilv_node_as_string(node) : std::string(); }

}  // namespace

UridMap::UridMap() {
    mapData = {this, [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<UridMap*>(h)->map(uri); }};
    unmapData = {this, [](LV2_URID_Unmap_Handle h, LV2_URID id) { return static_cast<UridMap*>(h)->unmap(id); }};
    mapFeature = {LV2_URID__map, &mapData};
    unmapFeature = {LV2_URID__unmap, &unmapData};
    featureList[0] = &mapFeature;
    featureList[1] = &unmapFeature;
    featureList[2] = nullptr;
}

LV2_URID UridMap::map(const char* uri) {
    if (!uri) return 0;
    std::lock_guard<std::mutex> hold(lock);
    auto found = ids.find(uri);
    if (found != ids.end()) return found->second;
    uris.emplace_back(new std::string(uri));
    LV2_URID id = (LV2_URID)uris.size();
    ids.emplace(uri, id);
    return id;
}

const char* UridMap::unmap(LV2_URID urid) {
    std::lock_guard<std::mutex> hold(lock);
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1]->c_str() : nullptr;
}

Lv2World::Lv2World() : lilv(lilv_world_new()) {}

Lv2World::~Lv2World() {
    for (auto& n : nodes) lilv_node_free(n.second);
    lilv_world_free(lilv);
}

const LilvNode* Lv2World::node(const char* uri) {
    auto found = nodes.find(uri);
    if (found != nodes.end()) return found->second;
    return nodes[uri] = lilv_new_uri(lilv, uri);
}

// The vocabulary bundles on LV2_PATH (lilv's default path without it): those
// whose manifest declares a vocabulary of LV2's or an ontology. Each one's
// data files are then read, so lilv knows the classes and port types.
void Lv2World::loadVocabularies() {
    const char* home = std::getenv("HOME");
    const char* set = std::getenv("LV2_PATH");
    std::string path = set && *set ? set : std::string(home ? home : "") + "/.lv2:/usr/local/lib/lv2:/usr/lib/lv2";
    for (size_t at = 0; at <= path.size();) {
        size_t end = path.find(':', at);
        if (end == std::string::npos) end = path.size();
        std::string folder = path.substr(at, end - at);
        at = end + 1;
        DIR* dir = folder.empty() ? nullptr : opendir(folder.c_str());
        if (!dir) continue;
        while (dirent* entry = readdir(dir)) {
            std::string bundle = folder + "/" + entry->d_name + "/";
            std::ifstream manifest(bundle + "manifest.ttl");
            std::stringstream text;
            text << manifest.rdbuf();
            const std::string t = text.str();
            if (t.find("lv2:Specification") == std::string::npos && t.find("owl:Ontology") == std::string::npos)
                continue;
            LilvNode* uri = lilv_new_file_uri(lilv, nullptr, bundle.c_str());
            lilv_world_load_bundle(lilv, uri);
            lilv_node_free(uri);
        }
        closedir(dir);
    }
    const LilvNode* kinds[] = {node(LV2_CORE__Specification), node("http://www.w3.org/2002/07/owl#Ontology")};
    for (const LilvNode* kind : kinds) {
        LilvNodes* vocabularies = lilv_world_find_nodes(lilv, nullptr, node(LILV_NS_RDF "type"), kind);
        LILV_FOREACH(nodes, i, vocabularies) lilv_world_load_resource(lilv, lilv_nodes_get(vocabularies, i));
        lilv_nodes_free(vocabularies);
    }
    lilv_world_load_plugin_classes(lilv);
}

// Only the given bundle and the vocabularies: a copy of the same plug-in
// installed elsewhere (its triples would mix with these) must not stand in
// for the one under test.
bool Lv2World::loadBundle(const std::string& path, std::string* error) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) {
        *error = path + ": no such bundle";
        return false;
    }
    std::string folder = real;
    std::free(real);
    if (folder.back() != '/') folder += '/';
    loadVocabularies();
    if (access((folder + "manifest.ttl").c_str(), R_OK) != 0) {
        *error = path + ": not an LV2 bundle (no readable manifest.ttl)";
        return false;
    }
    LilvNode* bundle = lilv_new_file_uri(lilv, nullptr, folder.c_str());
    lilv_world_load_bundle(lilv, bundle);
    const LilvPlugins* all = lilv_world_get_all_plugins(lilv);
    LILV_FOREACH(plugins, i, all) {
        const LilvPlugin* p = lilv_plugins_get(all, i);
        if (lilv_node_equals(lilv_plugin_get_bundle_uri(p), bundle)) {
            found = p;
            break;
        }
    }
    lilv_node_free(bundle);
    if (!found) {
        *error = path + ": the bundle describes no plug-in";
        return false;
    }
    if (!lilv_plugin_verify(found)) {
        *error = path + ": the description of " + text(lilv_plugin_get_uri(found)) + " is incomplete";
        found = nullptr;
        return false;
    }
    return true;
}

Lv2Instance::Lv2Instance(Lv2World& world, const Setup& setup) : world(world), settings(setup) {
    UridMap& u = world.urids;
    sequenceType = u.map(LV2_ATOM__Sequence);
    chunkType = u.map(LV2_ATOM__Chunk);
    midiEventType = u.map(LV2_MIDI__MidiEvent);
    floatType = u.map(LV2_ATOM__Float);
    doubleType = u.map(LV2_ATOM__Double);
    intType = u.map(LV2_ATOM__Int);
}

std::unique_ptr<Lv2Instance> Lv2Instance::create(Lv2World& world, const Setup& setup, std::string* error) {
    const LilvPlugin* plugin = world.plugin();
    if (!plugin) {
        *error = "no plug-in loaded";
        return nullptr;
    }
    std::unique_ptr<Lv2Instance> self(new Lv2Instance(world, setup));
    const std::string pluginUri = text(lilv_plugin_get_uri(plugin));

    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    LILV_FOREACH(nodes, i, required) {
        std::string feature = text(lilv_nodes_get(required, i));
        if (feature != LV2_URID__map && feature != LV2_URID__unmap) {
            *error = pluginUri + " needs a feature this host lacks: " + feature;
            lilv_nodes_free(required);
            return nullptr;
        }
    }
    lilv_nodes_free(required);

    const LilvNode* input = world.node(LV2_CORE__InputPort);
    const LilvNode* audio = world.node(LV2_CORE__AudioPort);
    const LilvNode* control = world.node(LV2_CORE__ControlPort);
    const LilvNode* cv = world.node(LV2_CORE__CVPort);
    const LilvNode* atom = world.node(LV2_ATOM__AtomPort);
    const LilvNode* midi = world.node(LV2_MIDI__MidiEvent);
    const LilvNode* optional = world.node(LV2_CORE__connectionOptional);
    uint32_t count = lilv_plugin_get_num_ports(plugin);
    self->ports.resize(count);
    bool midiTaken = false;
    for (uint32_t i = 0; i < count; i++) {
        const LilvPort* lp = lilv_plugin_get_port_by_index(plugin, i);
        Port& port = self->ports[i];
        port.symbol = text(lilv_port_get_symbol(plugin, lp));
        LilvNode* name = lilv_port_get_name(plugin, lp);
        port.name = text(name);
        lilv_node_free(name);
        const bool isInput = lilv_port_is_a(plugin, lp, input);
        if (lilv_port_is_a(plugin, lp, audio)) {
            port.kind = isInput ? Kind::kAudioIn : Kind::kAudioOut;
            port.audio.assign(setup.maxBlock, 0.f);
        } else if (lilv_port_is_a(plugin, lp, cv)) {
            port.kind = Kind::kCv;
            port.audio.assign(setup.maxBlock, 0.f);
        } else if (lilv_port_is_a(plugin, lp, control)) {
            port.kind = isInput ? Kind::kControlIn : Kind::kControlOut;
            LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
            lilv_port_get_range(plugin, lp, &def, &min, &max);
            port.value = def ? lilv_node_as_float(def) : min ? lilv_node_as_float(min) : 0.f;
            lilv_node_free(def);
            lilv_node_free(min);
            lilv_node_free(max);
        } else if (lilv_port_is_a(plugin, lp, atom)) {
            port.kind = isInput ? Kind::kAtomIn : Kind::kAtomOut;
            port.atom.assign((sizeof(LV2_Atom) + setup.atomOutputCapacity + 7) / 8 + kGuardWords, 0);
            port.takesMidi = isInput && !midiTaken && lilv_port_supports_event(plugin, lp, midi);
            midiTaken = midiTaken || port.takesMidi;
        } else if (lilv_port_has_property(plugin, lp, optional)) {
            port.kind = Kind::kCv;  // left unconnected
        } else {
            *error = pluginUri + ": port " + port.symbol + " is of a kind this host does not know";
            return nullptr;
        }
        if (port.kind == Kind::kControlIn) self->controls.push_back(i);
        if (port.kind == Kind::kAudioOut) self->audioOutputs.push_back(i);
    }

    self->lilvInstance = lilv_plugin_instantiate(plugin, setup.sampleRate, world.urids.features());
    if (!self->lilvInstance) {
        *error = pluginUri + " refused to be instantiated at " + std::to_string(setup.sampleRate) + " Hz";
        return nullptr;
    }
    for (size_t i = 0; i < self->ports.size(); i++) self->connect(i);
    self->activate();
    return self;
}

Lv2Instance::~Lv2Instance() {
    if (!lilvInstance) return;
    deactivate();
    lilv_instance_free(lilvInstance);
}

void Lv2Instance::connect(size_t index) {
    Port& port = ports[index];
    void* data = nullptr;
    switch (port.kind) {
        case Kind::kAudioIn:
        case Kind::kAudioOut:
        case Kind::kCv:
            data = port.audio.empty() ? nullptr : port.audio.data();
            break;
        case Kind::kControlIn:
        case Kind::kControlOut:
            data = &port.value;
            break;
        case Kind::kAtomIn:
        case Kind::kAtomOut:
            data = port.atom.data();
            break;
    }
    lilv_instance_connect_port(lilvInstance, (uint32_t)index, data);
}

void Lv2Instance::activate() {
    if (!active) lilv_instance_activate(lilvInstance);
    active = true;
}

void Lv2Instance::deactivate() {
    if (active) lilv_instance_deactivate(lilvInstance);
    active = false;
}

bool Lv2Instance::setControl(const std::string& symbol, float value) {
    for (size_t i : controls) {
        if (ports[i].symbol != symbol) continue;
        ports[i].value = value;
        return true;
    }
    return false;
}

void Lv2Instance::fillMidiInput(Port& port, const std::vector<Lv2Midi>& events) {
    size_t needed = sizeof(LV2_Atom_Sequence) + (port.takesMidi ? events.size() : 0) * kMidiEventSlot;
    if (port.atom.size() * 8 < needed) {
        port.atom.assign((needed + 7) / 8, 0);
        connect((size_t)(&port - ports.data()));
    }
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(port.atom.data());
    sequence->atom.type = sequenceType;
    sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
    sequence->body.unit = 0;
    sequence->body.pad = 0;
    if (!port.takesMidi) return;
    for (const Lv2Midi& m : events) {
        uint8_t* at = reinterpret_cast<uint8_t*>(port.atom.data()) + sizeof(LV2_Atom) + sequence->atom.size;
        std::memset(at, 0, kMidiEventSlot);
        LV2_Atom_Event header = {};
        header.time.frames = m.frame;
        header.body.type = midiEventType;
        header.body.size = m.size;
        std::memcpy(at, &header, sizeof(header));
        std::memcpy(at + sizeof(header), m.bytes, m.size);
        sequence->atom.size += kMidiEventSlot;
    }
}

void Lv2Instance::readAtomOutput(const Port& port) {
    const uint64_t* words = port.atom.data();
    const size_t capacityWords = port.atom.size() - kGuardWords;
    for (size_t w = capacityWords; w < port.atom.size(); w++)
        if (words[w] != kGuardPattern) inBounds = false;
    auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(words);
    if (sequence->atom.type != sequenceType) return;
    if (sizeof(LV2_Atom) + sequence->atom.size > capacityWords * 8) {
        inBounds = false;
        return;
    }
    const uint8_t* end = reinterpret_cast<const uint8_t*>(words) + sizeof(LV2_Atom) + sequence->atom.size;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event) {
        if (reinterpret_cast<const uint8_t*>(event + 1) + event->body.size > end) {
            inBounds = false;  // an event said to reach past its sequence
            return;
        }
        Lv2OutputEvent e;
        e.frame = event->time.frames;
        e.type = event->body.type;
        const uint8_t* body = reinterpret_cast<const uint8_t*>(event + 1);
        e.body.assign(body, body + event->body.size);
        written.push_back(e);
    }
}

void Lv2Instance::run(const std::vector<Lv2Midi>& events, uint32_t frames) {
    if (frames > settings.maxBlock) frames = settings.maxBlock;
    for (Port& port : ports) {
        if (port.kind == Kind::kAtomIn) {
            fillMidiInput(port, events);
        } else if (port.kind == Kind::kAtomOut) {
            // The capacity in the atom's size, the type Chunk, and guard words beyond it.
            const size_t capacityWords = port.atom.size() - kGuardWords;
            std::fill(port.atom.begin() + (long)capacityWords, port.atom.end(), kGuardPattern);
            auto* out = reinterpret_cast<LV2_Atom*>(port.atom.data());
            out->type = chunkType;
            out->size = (uint32_t)(capacityWords * 8 - sizeof(LV2_Atom));
        }
    }
    if (runWatch) runWatch->entering();
    lilv_instance_run(lilvInstance, frames);
    if (runWatch) runWatch->left();
    written.clear();
    inBounds = true;
    for (const Port& port : ports)
        if (port.kind == Kind::kAtomOut) readAtomOutput(port);
}

bool Lv2Instance::applyPreset(const char* presetUri, std::string* error) {
    const LilvNode* preset = world.node(presetUri);
    lilv_world_load_resource(world.world(), preset);
    LilvState* state = lilv_state_new_from_world(world.world(), world.urids.mapInterface(), preset);
    if (!state) {
        *error = std::string("no preset ") + presetUri;
        return false;
    }
    bool done = restore(state, presetUri, error);
    lilv_state_free(state);
    return done;
}

std::string Lv2Instance::saveState() {
    auto getValue = [](const char* symbol, void* user, uint32_t* size, uint32_t* type) -> const void* {
        Lv2Instance* self = static_cast<Lv2Instance*>(user);
        for (size_t i : self->controls) {
            if (self->ports[i].symbol != symbol) continue;
            *size = sizeof(float);
            *type = self->floatType;
            return &self->ports[i].value;
        }
        *size = 0;
        *type = 0;
        return nullptr;
    };
    LilvState* state =
        lilv_state_new_from_instance(world.plugin(), lilvInstance, world.urids.mapInterface(), nullptr, nullptr,
                                     nullptr, nullptr, getValue, this, 0, world.urids.features());
    if (!state) return std::string();
    const char* stateUri = "urn:qelt:validator:saved";
    char* text = lilv_state_to_string(world.world(), world.urids.mapInterface(), world.urids.unmapInterface(), state,
                                      stateUri, nullptr);
    std::string saved = text ? text : "";
    lilv_free(text);
    lilv_state_free(state);
    return saved;
}

bool Lv2Instance::restoreState(const std::string& saved, std::string* error) {
    LilvState* state = lilv_state_new_from_string(world.world(), world.urids.mapInterface(), saved.c_str());
    if (!state) {
        *error = "the saved state does not read back";
        return false;
    }
    bool done = restore(state, "the saved state", error);
    lilv_state_free(state);
    return done;
}

bool Lv2Instance::restore(const LilvState* state, const std::string& what, std::string* error) {
    struct Restore {
        Lv2Instance* self;
        std::string unknown;
    } restore{this, std::string()};
    auto setValue = [](const char* symbol, void* user, const void* value, uint32_t size, uint32_t type) {
        Restore* r = static_cast<Restore*>(user);
        float v = NAN;
        if (type == r->self->floatType && size == sizeof(float)) v = *static_cast<const float*>(value);
        if (type == r->self->doubleType && size == sizeof(double)) v = (float)*static_cast<const double*>(value);
        if (type == r->self->intType && size == sizeof(int32_t)) v = (float)*static_cast<const int32_t*>(value);
        if (std::isnan(v) || !r->self->setControl(symbol, v))
            r->unknown += std::string(r->unknown.empty() ? "" : ", ") + symbol;
    };
    lilv_state_restore(state, lilvInstance, setValue, &restore, 0, world.urids.features());
    if (!restore.unknown.empty()) {
        *error = what + " sets what is no control input: " + restore.unknown;
        return false;
    }
    return true;
}
