#include "config/SettingsSection.h"

#include "app/ErrorLog.h"
#include "app/Exceptions.h"
#include "app/PathUtils.h"
#include "app/PostToUi.h"
#include "app/Trace.h"
#include "platform/os/RegularFile.h"

void SettingsSection::RequestSave() {
    if (storage_ != nullptr) {
        storage_->RequestSave();
    }
}

void SettingsStorage::RequestSave() {
    if (Ui::OnUiThread() || !Ui::Post([alive = std::weak_ptr(self_)] {
            if (const std::shared_ptr<SettingsStorage*> storage = alive.lock()) {
                (*storage)->SaveAll();
            }
        })) {
        SaveAll();
    }
}

SettingsStorage::SettingsStorage(std::vector<SettingsSection*> sections)
    : sections_(std::move(sections)) {
    for (SettingsSection* section : sections_) {
        section->SetStorage(this);
    }
}

SettingsStorage::~SettingsStorage() {
    for (SettingsSection* section : sections_) {
        section->SetStorage(nullptr);
    }
}

void SettingsStorage::SetBeforeReplaceHook(std::function<void(const std::string&)> hook) {
    beforeReplace_ = std::move(hook);
}

std::optional<std::string> SettingsStorage::FilePath() const {
    try {
        return PathUtils::GetAppDataFile(kFileName);
    } catch (const AppException&) {
        LogError("Unable to get storage path for settings");
        return std::nullopt;
    }
}

void SettingsStorage::LoadAll() {
    for (SettingsSection* section : sections_) {
        section->BeforeLoad();
    }
    bool loaded = true;
    try {
        ReadSettingsFile();
    } catch (...) {
        LogError("Unable to load settings file");
        loaded = false;
    }
    Trace("Loading custom settings");
    for (SettingsSection* section : sections_) {
        section->LoadCustomData();
    }
    for (SettingsSection* section : sections_) {
        section->AfterLoad(loaded);
    }
}

void SettingsStorage::SaveAll() {
    bool idle = false;
    if (!saving_.compare_exchange_strong(idle, true)) {
        return;
    }
    for (SettingsSection* section : sections_) {
        section->BeforeSave();
    }
    try {
        WriteSettingsFile();
    } catch (const FrameworkException& error) {
        saving_ = false;
        LogError("Unable to save settings file");
        // Which file, and why: the user's only clue when a choice did not stick.
        LogError(error.GetMessage());
    } catch (...) {
        saving_ = false;
        LogError("Unable to save settings file");
    }
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        Trace("Saving custom settings for " + std::to_string(i));
        sections_[i]->SaveCustomData();
    }
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        Trace("AfretSave for " + std::to_string(i));
        sections_[i]->AfterSave();
    }
    saving_ = false;
}

void SettingsStorage::ReadSettingsFile() {
    std::optional<std::string> path = FilePath();
    if (!path) {
        return;
    }
    Trace("Loading settings file from " + *path);
    RegularFile::ReadResult file = RegularFile::Read(*path, kMaxFileSize);
    if (!file.Ok()) {
        throw FrameworkException("Unable to read settings file: " + file.error);
    }
    ReadSettingsData(file.bytes);
}

void SettingsStorage::ReadSettingsData(std::string_view bytes) {
    ArchiveReader reader(bytes);
    if (reader.ReadInt32() != kFileVersion) {
        throw ConfigurationException("Wrong settings file version");
    }
    const std::int32_t blocks = reader.ReadInt32();
    for (std::int32_t i = 0; i < blocks; ++i) {
        // The reader uses the low 32 bits of the length.
        const auto length = static_cast<std::uint32_t>(reader.ReadUInt64());
        ArchiveReader body(reader.ReadBytes(length));
        const std::int32_t version = body.ReadInt32();
        // Blocks beyond the sections the program has are ignored.
        if (static_cast<std::size_t>(i) < sections_.size()) {
            sections_[static_cast<std::size_t>(i)]->Load(version, body);
        }
    }
}

void SettingsStorage::WriteSettingsFile() {
    std::optional<std::string> path = FilePath();
    if (!path) {
        return;
    }
    Trace("Saving settings file to " + *path);
    ArchiveWriter file;
    file.WriteInt32(kFileVersion);
    file.WriteInt32(static_cast<std::int32_t>(sections_.size()));
    for (SettingsSection* section : sections_) {
        ArchiveWriter block;
        block.WriteInt32(section->GetVersion());
        section->Store(block);
        file.WriteUInt64(block.Bytes().size());
        file.WriteBytes(block.Bytes());
    }

    // Written beside the file and renamed over it: a crash or a full disk leaves the previous
    // file as it was.
    const std::string error = RegularFile::Replace(*path, file.Bytes(), beforeReplace_);
    if (!error.empty()) {
        throw FrameworkException("Unable to write settings file: " + error);
    }
}
