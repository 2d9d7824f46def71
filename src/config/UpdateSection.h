#pragma once

#include <mutex>

#include "config/SettingsSection.h"
#include "config/UpdateManifest.h"

// The last update announced to the user. The worker reads it while the user-interface thread
// writes it, so it is guarded by its own lock.
class UpdateSection : public SettingsSection {
public:
    static constexpr int kVersion = 0;

    UpdateManifest GetUpdateManifest() const;
    // Stores the release and marks an update as available.
    void SetUpdateManifest(const UpdateManifest& manifest);
    bool IsUpdateAvailable() const;

    void Store(ArchiveWriter& data) override;
    void Load(int version, ArchiveReader& data) override;
    // Decides again whether the stored release is newer than the running program.
    void AfterLoad(bool loaded) override;
    int GetVersion() const override { return kVersion; }

private:
    mutable std::mutex mutex_;
    int updateAvailable_ = 0;
    UpdateManifest manifest_;
};
