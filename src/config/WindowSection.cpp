#include "config/WindowSection.h"

#include "config/RegistryStores.h"

void WindowSection::SetAlwaysOnTop(int value) {
    alwaysOnTop_ = value;
    listeners_.Notify([value](TopmostListener& listener) { listener.TopmostChanged(value != 0); });
}

void WindowSection::Store(ArchiveWriter& data) {
    data.WriteInt32(left);
    data.WriteInt32(top);
    data.WriteInt32(sizeMode);
    data.WriteInt32(hidden);
    data.WriteInt32(alwaysOnTop_);
}

void WindowSection::Load(int version, ArchiveReader& data) {
    if (version != kVersion) {
        return;
    }
    // Read whole before anything is taken, so that a short block changes nothing.
    const int newLeft = data.ReadInt32();
    const int newTop = data.ReadInt32();
    const int newSizeMode = data.ReadInt32();
    const int newHidden = data.ReadInt32();
    const int newAlwaysOnTop = data.ReadInt32();
    left = newLeft;
    top = newTop;
    sizeMode = newSizeMode;
    hidden = newHidden;
    alwaysOnTop_ = newAlwaysOnTop;
}

void WindowSection::AfterLoad(bool loaded) {
    // No usable settings file, as on a first run: a new installation starts with the desktop.
    if (!loaded) {
        SetRunAtStartup(true);
    }
}
