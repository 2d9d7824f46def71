#pragma once

#include "config/ListenerList.h"
#include "config/SettingsSection.h"

// Told when the always-on-top choice changes.
class TopmostListener {
public:
    virtual ~TopmostListener() = default;
    virtual void TopmostChanged(bool alwaysOnTop) = 0;
};

// The bar's two sizes.
enum class SizeMode { Normal, Mini };

// The toolbar window's place and look.
class WindowSection : public SettingsSection {
public:
    static constexpr int kVersion = 1;
    // The stored size mode of the mini size; any other value is the normal size.
    static constexpr int kMiniSize = 1;

    int left = 0;
    int top = 0;
    int sizeMode = 0;  // as stored: see Size
    int hidden = 0;

    SizeMode Size() const { return sizeMode == kMiniSize ? SizeMode::Mini : SizeMode::Normal; }
    void SetSize(SizeMode size) { sizeMode = size == SizeMode::Mini ? kMiniSize : 0; }

    int AlwaysOnTop() const { return alwaysOnTop_; }
    void SetAlwaysOnTop(int value);
    // Registers a listener until the returned registration is destroyed.
    using TopmostRegistration = ListenerList<TopmostListener>::Registration;
    TopmostRegistration AddTopmostListener(TopmostListener& listener) {
        return listeners_.Add(listener);
    }

    void Store(ArchiveWriter& data) override;
    void Load(int version, ArchiveReader& data) override;
    void AfterLoad(bool loaded) override;
    int GetVersion() const override { return kVersion; }

private:
    int alwaysOnTop_ = 1;
    ListenerList<TopmostListener> listeners_;
};
