// The editor's requests as a VST 2.4 plug-in passes them to its host.
#pragma once

#include "editor/editor_host.h"

class AudioEffectX;

class VstEditorHost : public EditorHost {
public:
    explicit VstEditorHost(AudioEffectX& plugin) : plugin(plugin) {}

    float parameterValue(int32_t index) override;
    void beginEdit(int32_t index) override;
    void performEdit(int32_t index, float value) override;
    void endEdit(int32_t index) override;
    void playKey(int32_t key, float value) override;
    bool resizeWindow(int32_t width, int32_t height) override;
    void hostIdle() override;

private:
    AudioEffectX& plugin;
};
