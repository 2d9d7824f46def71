#pragma once

#include "config/SettingsSection.h"

// Told when the always-on-top choice changes.
class TopmostListener {
public:
    virtual ~TopmostListener() = default;
    virtual void TopmostChanged(bool alwaysOnTop) = 0;
};

// The toolbar window's place and look.
class WindowSection : public SettingsSection {
public:
    static constexpr int kVersion = 1;
    static constexpr int kMiniSize = 1;

    int left = 0;
    int top = 0;
    int sizeMode = 0;  // kMiniSize: mini, anything else: normal
    int hidden = 0;

    int AlwaysOnTop() const { return alwaysOnTop_; }
    void SetAlwaysOnTop(int value);
    void SetTopmostListener(TopmostListener* listener) { listener_ = listener; }

    void SaveCustomData() override {}
    void Store(ArchiveWriter& data) override;
    void LoadCustomData() override {}
    void Load(int version, ArchiveReader& data) override;
    void AfterLoad(bool loaded) override;
    int GetVersion() const override { return kVersion; }

private:
    int alwaysOnTop_ = 1;
    TopmostListener* listener_ = nullptr;
};
