#include "services/RegistrationJobs.h"

#include "app/Trace.h"
#include "config/GamesConfig.h"
#include "config/RegistrationSection.h"

std::string UidForServer(const std::string& uid) {
    std::string plain;
    for (char c : uid) {
        if (c != '{' && c != '}' && c != '-') {
            plain += c;
        }
    }
    return plain;
}

RegistrationJob::RegistrationJob(const GamesConfig& config, RegistrationSection& section,
                                 FormPoster poster)
    : Job(kFirstPeriod), config_(config), section_(section), poster_(std::move(poster)) {}

void RegistrationJob::Run() {
    if (runCount_++ == kFastRuns) {
        period = kLaterPeriod;
    }
    if (section_.registered) {
        return;
    }
    Trace("Start tivora registeration");
    if (!section_.HasApplicationUid() && !section_.CreateApplicationUid()) {
        return;
    }
    const FormPoster::Fields fields{
        {"action", "reg"},
        {"distribution", config_.GetText("DistributionId")},
        {"unique_id", UidForServer(section_.ApplicationUid())},
    };
    if (!poster_.Send(config_.GetText("RegistrationUrl"), fields)) {
        Trace("Registration failed");
        return;
    }
    section_.registered = 1;
    section_.RequestSave();
    period = 0;
    Trace("Tivora registered successfuly");
}

UserInfoJob::UserInfoJob(const GamesConfig& config, RegistrationSection& section, FormPoster poster)
    : Job(kPeriod), config_(config), section_(section), poster_(std::move(poster)) {}

void UserInfoJob::Run() {
    if (!section_.registered || section_.userInfoSent || section_.IsUserInfoEmpty()) {
        return;
    }
    Trace("Start user info sending");
    const std::string uid = section_.ApplicationUid();
    if (uid.empty()) {
        Trace("Registration code is empty");
        return;
    }
    const RegistrationSection::UserInfo info = section_.GetUserInfo();
    const FormPoster::Fields fields{
        {"action", "info"},
        {"email", info.email},
        {"name", info.fullName},
        {"unique_id", UidForServer(uid)},
    };
    if (!poster_.Send(config_.GetText("RegistrationUrl"), fields)) {
        Trace("User information sending is failed");
        return;
    }
    section_.userInfoSent = 1;
    Trace("User information was sent");
}
