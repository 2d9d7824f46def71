#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/Archive.h"

class SettingsStorage;

// One part of the settings: its data in the settings file, data it keeps elsewhere (custom
// data), and hooks around loading and saving.
class SettingsSection {
public:
    virtual ~SettingsSection() = default;

    virtual void BeforeLoad() {}
    virtual void BeforeSave() {}
    // What a section keeps outside the settings file (the registry); most keep nothing there.
    virtual void SaveCustomData() {}
    virtual void Store(ArchiveWriter& data) = 0;
    virtual void LoadCustomData() {}
    virtual void Load(int version, ArchiveReader& data) = 0;
    virtual void AfterLoad(bool loaded) { (void)loaded; }
    virtual void AfterSave() {}
    virtual int GetVersion() const = 0;

    // Saves the whole settings file, when the section belongs to a storage: at once on the
    // user-interface thread, which is the only one that writes it; from another thread the
    // request is handed to it (and a request it never gets to is covered by the exit's save).
    void RequestSave();

    void SetStorage(SettingsStorage* storage) { storage_ = storage; }

private:
    SettingsStorage* storage_ = nullptr;
};

// Loads all sections from "tivora.sts" in the application data folder and saves them back.
class SettingsStorage {
public:
    explicit SettingsStorage(std::vector<SettingsSection*> sections);
    ~SettingsStorage();
    SettingsStorage(const SettingsStorage&) = delete;
    SettingsStorage& operator=(const SettingsStorage&) = delete;

    void LoadAll();
    // A save asked for while one runs is dropped.
    void SaveAll();
    // SaveAll on the user-interface thread: at once there, else queued to it. Without an
    // application object there is no such thread and the save happens at once.
    void RequestSave();

    void ReadSettingsFile();
    // Hands the blocks of a settings file's bytes to the sections; raises on a broken file.
    void ReadSettingsData(std::string_view bytes);
    void WriteSettingsFile();

    static constexpr const char* kFileName = "tivora.sts";
    static constexpr std::int32_t kFileVersion = 1;
    // A real settings file holds a few hundred bytes; anything past this is not one, and is
    // refused before it is read.
    static constexpr std::size_t kMaxFileSize = 4 * 1024 * 1024;

    // Called with the written temporary file's path just before it replaces the settings file;
    // lets a test stand in for a crash at the worst moment.
    void SetBeforeReplaceHook(std::function<void(const std::string&)> hook);

private:
    // The settings file's path; nullopt (with its error line) when it cannot be made.
    std::optional<std::string> FilePath() const;

    std::vector<SettingsSection*> sections_;
    std::atomic<bool> saving_{false};
    std::function<void(const std::string&)> beforeReplace_;
    // Lets a save handed to the user-interface thread find out whether the storage still lives.
    std::shared_ptr<SettingsStorage*> self_ = std::make_shared<SettingsStorage*>(this);
};
