// Told on the rendering thread just before and just after a host calls the
// plug-in's audio work (VST events and render, LV2 run), so that the host's
// own work stays out: a validator marks the audio calls with it, a benchmark
// times them.
#pragma once

class PluginCallWatch {
public:
    virtual void entering() = 0;
    virtual void left() = 0;

protected:
    ~PluginCallWatch() = default;
};
