#include "services/Services.h"

#include "app/Trace.h"
#include "config/Settings.h"
#include "platform/os/ProcessObjects.h"

namespace {

struct ProcessUpdateCheckJob : UpdateCheckJob {
    ProcessUpdateCheckJob() : UpdateCheckJob(GetSettings().gamesConfig, GetSettings().update) {}
};
struct ProcessRegistrationJob : RegistrationJob {
    ProcessRegistrationJob()
        : RegistrationJob(GetSettings().gamesConfig, GetSettings().registration) {}
};
struct ProcessUserInfoJob : UserInfoJob {
    ProcessUserInfoJob() : UserInfoJob(GetSettings().gamesConfig, GetSettings().registration) {}
};

}  // namespace

UpdateCheckJob& GetUpdateCheckJob() {
    return ProcessWide<ProcessUpdateCheckJob>();
}
RegistrationJob& GetRegistrationJob() {
    return ProcessWide<ProcessRegistrationJob>();
}
UserInfoJob& GetUserInfoJob() {
    return ProcessWide<ProcessUserInfoJob>();
}
AuxThread& GetAuxThread() {
    return ProcessWide<AuxThread>();
}

namespace Services {

void Start() {
    GetUpdateCheckJob().RequestRun(true, false);
    std::vector<Job*> jobs;
    for (Job* job : std::initializer_list<Job*>{&GetUpdateCheckJob(), &GetRegistrationJob(),
                                                &GetUserInfoJob()}) {
        jobs.push_back(job);
        Trace("Job was added");
    }
    GetAuxThread().Start(jobs);
}

bool Stop() {
    return GetAuxThread().Stop();
}

}  // namespace Services
