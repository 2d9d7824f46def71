#include "config/RegistrationSection.h"

#include <QUuid>
#include <cstring>

#include "app/AppProfile.h"
#include "app/ErrorLog.h"
#include "app/Trace.h"
#include "config/RegistryStores.h"
#include "platform/os/Registry.h"

namespace {

using Registry::Hive;

std::string ProfileSection() {
    return AppProfile::Key() + "\\" + RegistryStores::kUserInfoSection;
}

bool StoreUidIn(Hive hive, const std::string& uid) {
    if (!Registry::Key::Open(hive, RegistryStores::kUidKey)) {
        Trace("Unable to open registry key to save registration info");
        return false;
    }
    auto key = Registry::Key::CreateForWriting(
        hive, std::string(RegistryStores::kUidKey) + "\\" + RegistryStores::kUidSubkey);
    if (!key) {
        Trace("Unable to create registry key");
        return false;
    }
    if (!key->SetString(RegistryStores::kUidValue, uid)) {
        Trace("Unable to save registry value");
        return false;
    }
    Trace("Regirstry key successfuly stored");
    return true;
}

// GUID parts as the file stores them: Data4's eight bytes, then Data2, Data3 and Data1, each
// little-endian.
void WriteGuid(ArchiveWriter& data, const QUuid& uuid) {
    data.WriteBytes(std::string_view(reinterpret_cast<const char*>(uuid.data4), 8));
    data.WriteUInt16(uuid.data2);
    data.WriteUInt16(uuid.data3);
    data.WriteUInt32(uuid.data1);
}

std::string RegistryForm(const QUuid& uuid) {
    return uuid.toString(QUuid::WithBraces).toUpper().toStdString();
}

}  // namespace

RegistrationSection::UserInfo RegistrationSection::GetUserInfo() const {
    std::lock_guard lock(mutex_);
    return userInfo_;
}

void RegistrationSection::SetUserInfo(const std::string& fullName, const std::string& email) {
    std::lock_guard lock(mutex_);
    userInfo_ = {fullName, email};
}

bool RegistrationSection::IsUserInfoEmpty() const {
    std::lock_guard lock(mutex_);
    return userInfo_.fullName.empty() && userInfo_.email.empty();
}

std::string RegistrationSection::ApplicationUid() const {
    std::lock_guard lock(mutex_);
    return applicationUid_;
}

void RegistrationSection::SetApplicationUid(const std::string& uid) {
    std::lock_guard lock(mutex_);
    applicationUid_ = uid;
}

bool RegistrationSection::CreateApplicationUid() {
    const QUuid uuid = QUuid::createUuid();
    if (uuid.isNull()) {
        Trace("Unable to create application UID");
        return false;
    }
    SetApplicationUid(RegistryForm(uuid));
    return true;
}

bool RegistrationSection::StoreUidInRegistry() {
    const std::string uid = ApplicationUid();
    Trace("Store in HKLM");
    const bool machine = StoreUidIn(Hive::LocalMachine, uid);
    Trace("Store in HKCU");
    const bool user = StoreUidIn(Hive::CurrentUser, uid);
    return machine || user;
}

bool RegistrationSection::LoadUidFromRegistry() {
    auto loadFrom = [this](Hive hive) {
        auto key = Registry::Key::Open(
            hive, std::string(RegistryStores::kUidKey) + "\\" + RegistryStores::kUidSubkey);
        if (!key) {
            Trace("Unable to open registry key to load registration info");
            return false;
        }
        auto value = key->QueryString(RegistryStores::kUidValue);
        if (!value) {
            Trace("Unable to load registration info from registry");
            return false;
        }
        std::lock_guard lock(mutex_);
        if (!applicationUid_.empty()) {
            return applicationUid_ == *value;
        }
        applicationUid_ = *value;
        return true;
    };
    Trace("Load from HKLM");
    const bool machine = loadFrom(Hive::LocalMachine);
    Trace("Load from HKCU");
    const bool user = loadFrom(Hive::CurrentUser);
    return machine && user;
}

void RegistrationSection::WriteUserInfo() {
    const UserInfo info = GetUserInfo();
    auto key = Registry::Key::CreateForWriting(Hive::CurrentUser, ProfileSection());
    if (!key) {
        return;
    }
    key->SetString("FullName", info.fullName);
    key->SetString("Email", info.email);
    key->SetString("Registration", "1");
}

void RegistrationSection::ReadUserInfo() {
    UserInfo info;
    if (auto key = Registry::Key::Open(Hive::CurrentUser, ProfileSection())) {
        // Profile strings are read whole, without the short buffer of the other values.
        info.fullName = key->QueryString("FullName", std::string::npos).value_or("");
        info.email = key->QueryString("Email", std::string::npos).value_or("");
    }
    std::lock_guard lock(mutex_);
    userInfo_ = info;
}

void RegistrationSection::SaveCustomData() {
    try {
        WriteUserInfo();
        StoreUidInRegistry();
    } catch (...) {
        Trace("Unable to save RegistrationSection custom data");
    }
}

void RegistrationSection::LoadCustomData() {
    try {
        for (Hive hive : {Hive::LocalMachine, Hive::CurrentUser}) {
            if (const std::string problem = Registry::HiveProblem(hive); !problem.empty()) {
                LogError("Unable to load registry: " + problem);
            }
        }
        ReadUserInfo();
        LoadUidFromRegistry();
    } catch (...) {
        Trace("Unable to load RegistrationSection custom data");
    }
}

void RegistrationSection::Store(ArchiveWriter& data) {
    data.WriteInt32(registered);
    data.WriteInt32(userInfoSent);
    StoreUidInConfig(data);
}

void RegistrationSection::Load(int, ArchiveReader& data) {
    // The version is not looked at: every version so far has this layout.
    registered = data.ReadInt32();
    userInfoSent = data.ReadInt32();
    LoadUidFromConfig(data);
}

void RegistrationSection::StoreUidInConfig(ArchiveWriter& data) {
    Trace("Store in config");
    const QUuid uuid = QUuid::fromString(QString::fromStdString(ApplicationUid()));
    if (uuid.isNull()) {
        return;  // no id: the block ends here
    }
    WriteGuid(data, uuid);
}

void RegistrationSection::LoadUidFromConfig(ArchiveReader& data) {
    Trace("Load from config");
    // A block saved without an id ends before the GUID: that is "no id", not a broken file.
    if (data.Remaining() == 0) {
        return;
    }
    QUuid uuid;
    std::string_view data4 = data.ReadBytes(8);
    std::memcpy(uuid.data4, data4.data(), 8);
    uuid.data2 = data.ReadUInt16();
    uuid.data3 = data.ReadUInt16();
    uuid.data1 = data.ReadUInt32();
    if (uuid.data1 == 0 || uuid.data2 == 0 || uuid.data3 == 0) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (applicationUid_.empty()) {
        applicationUid_ = RegistryForm(uuid);
    }
}
