#include "config/UpdateSection.h"

#include "app/Trace.h"
#include "config/GamesConfig.h"
#include "config/VersionUtils.h"

UpdateManifest UpdateSection::GetUpdateManifest() const {
    std::lock_guard lock(mutex_);
    return manifest_;
}

void UpdateSection::SetUpdateManifest(const UpdateManifest& manifest) {
    std::lock_guard lock(mutex_);
    manifest_ = manifest;
    updateAvailable_ = 1;
}

bool UpdateSection::IsUpdateAvailable() const {
    std::lock_guard lock(mutex_);
    return updateAvailable_ != 0;
}

void UpdateSection::Store(ArchiveWriter& data) {
    int available = 0;
    {
        std::lock_guard lock(mutex_);
        available = updateAvailable_;
    }
    data.WriteInt32(available);
    const UpdateManifest manifest = GetUpdateManifest();
    // The file's order differs from the manifest's own.
    data.WriteString(manifest.productVersion);
    data.WriteString(manifest.build);
    data.WriteString(manifest.date);
    data.WriteString(manifest.description);
    data.WriteString(manifest.url);
}

void UpdateSection::Load(int version, ArchiveReader& data) {
    if (version != kVersion) {
        return;
    }
    const int available = data.ReadInt32();
    {
        std::lock_guard lock(mutex_);
        updateAvailable_ = available;
    }
    UpdateManifest manifest;
    manifest.productVersion = data.ReadString();
    manifest.build = data.ReadString();
    manifest.date = data.ReadString();
    manifest.description = data.ReadString();
    manifest.url = data.ReadString();
    // Marks the update as available whatever was stored; the decision is made again once
    // everything is loaded.
    SetUpdateManifest(manifest);
}

void UpdateSection::AfterLoad(bool loaded) {
    if (!loaded) {
        return;
    }
    try {
        const UpdateManifest manifest = GetUpdateManifest();
        const int order = VersionUtils::CompareVersions(
            VersionUtils::ParseVersion(manifest.productVersion), VersionUtils::GetCurrentVersion());
        std::lock_guard lock(mutex_);
        if (order < 0) {
            updateAvailable_ = 0;
        } else if (order == 0 &&
                   GetWebmasterVersion() >= VersionUtils::ParseBuildNumber(manifest.build)) {
            updateAvailable_ = 0;
        }
    } catch (...) {
        Trace("AfterLoad is failed for UpdateSection");
    }
}
