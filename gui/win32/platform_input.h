// The live pointer and key reads of the toolkit go through one small seam so
// that tests can script a pointer and button sequence. By default it asks the
// platform (GetAsyncKeyState, GetCursorPos).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gui/cgeometry.h"

namespace VSTGUI {

class PlatformInput {
public:
    virtual ~PlatformInput() {}
    // Whether the key or button with this virtual-key code is down now
    // (physical buttons, as the platform reports them).
    virtual bool isKeyDown(int32_t virtualKey) = 0;
    // The pointer position in screen coordinates.
    virtual CPoint cursorPosition() = 0;
};

// The input in use; never empty.
PlatformInput& platformInput();
// Installs a replacement (not owned); empty restores the platform's.
void setPlatformInput(PlatformInput* input);

// A scripted input: a list of states (pointer position and the keys that are
// down). Each pointer read returns the current state's position and then moves
// on to the next state; key reads look at the current state. The last state
// stays once reached. This matches a polling loop that reads the buttons and
// then the position on every pass.
class ScriptedInput : public PlatformInput {
public:
    struct State {
        CPoint cursor;
        std::vector<int32_t> keysDown;
    };

    ScriptedInput() : current(0), cursorReads(0), keyReads(0) {}

    void add(const CPoint& cursor, std::vector<int32_t> keysDown = {}) { states.push_back({cursor, std::move(keysDown)}); }
    void clear() {
        states.clear();
        current = 0;
    }

    bool isKeyDown(int32_t virtualKey) override;
    CPoint cursorPosition() override;

    size_t position() const { return current; }
    size_t size() const { return states.size(); }
    int32_t getCursorReads() const { return cursorReads; }
    int32_t getKeyReads() const { return keyReads; }

private:
    std::vector<State> states;
    size_t current;
    int32_t cursorReads;
    int32_t keyReads;
};

// Installs a scripted input for the lifetime of a scope.
class ScopedPlatformInput {
public:
    explicit ScopedPlatformInput(PlatformInput* input) { setPlatformInput(input); }
    ~ScopedPlatformInput() { setPlatformInput(nullptr); }
    ScopedPlatformInput(const ScopedPlatformInput&) = delete;
    ScopedPlatformInput& operator=(const ScopedPlatformInput&) = delete;
};

}  // namespace VSTGUI
