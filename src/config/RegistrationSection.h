#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "config/SettingsSection.h"

// The installation's registration with the maker's server: whether it is registered, whether
// the user's details went out, the installation's unique id, and the user's details (kept in
// the registry profile, not in the file). The worker reads and writes it while the
// user-interface thread does; the flags are atomic and the texts share a lock.
class RegistrationSection : public SettingsSection {
public:
    static constexpr int kVersion = 0;

    struct UserInfo {
        std::string fullName;
        std::string email;
    };

    std::atomic<int> registered{0};
    std::atomic<int> userInfoSent{0};

    UserInfo GetUserInfo() const;
    void SetUserInfo(const std::string& fullName, const std::string& email);
    bool IsUserInfoEmpty() const;

    // The unique id in registry form ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case),
    // or empty.
    std::string ApplicationUid() const;
    bool HasApplicationUid() const { return !ApplicationUid().empty(); }
    void SetApplicationUid(const std::string& uid);
    // Makes a new unique id; false (with its trace) when none could be made.
    bool CreateApplicationUid();

    // Both hives get the id; true when at least one was written.
    bool StoreUidInRegistry();
    // Both hives are read; the first id found is taken when there is none, the rest only
    // compared. True when both were read and agreed with, or supplied, the id.
    bool LoadUidFromRegistry();

    void SaveCustomData() override;
    void Store(ArchiveWriter& data) override;
    void LoadCustomData() override;
    void Load(int version, ArchiveReader& data) override;
    int GetVersion() const override { return kVersion; }

private:
    void StoreUidInConfig(ArchiveWriter& data);
    void LoadUidFromConfig(ArchiveReader& data);
    void WriteUserInfo();
    void ReadUserInfo();

    mutable std::mutex mutex_;
    std::string applicationUid_;
    UserInfo userInfo_;
};
