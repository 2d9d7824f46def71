#pragma once

#include <atomic>

#include "services/FormPoster.h"
#include "services/Job.h"

class GamesConfig;
class RegistrationSection;

// Announces the installation to the maker's server until the server takes it: every two
// minutes for twenty runs, then hourly, then never again.
class RegistrationJob : public Job {
public:
    static constexpr int kFirstPeriod = 120;
    static constexpr int kLaterPeriod = 3600;
    static constexpr int kFastRuns = 20;

    RegistrationJob(const GamesConfig& config, RegistrationSection& section,
                    FormPoster poster = FormPoster());
    void Run() override;
    int RunCount() const { return runCount_; }

private:
    const GamesConfig& config_;
    RegistrationSection& section_;
    FormPoster poster_;
    int runCount_ = 0;
};

// Sends the user's name and e-mail address once the installation is registered, again after
// every change.
class UserInfoJob : public Job {
public:
    static constexpr int kPeriod = 3600;

    UserInfoJob(const GamesConfig& config, RegistrationSection& section,
                FormPoster poster = FormPoster());
    void Run() override;

private:
    const GamesConfig& config_;
    RegistrationSection& section_;
    FormPoster poster_;
};

// The unique id as the server takes it: without braces and hyphens.
std::string UidForServer(const std::string& uid);
