#pragma once

#include "services/AuxThread.h"
#include "services/RegistrationJobs.h"
#include "services/UpdateCheckJob.h"

// The process-wide worker and its three jobs, made on first use over the process-wide
// settings.
UpdateCheckJob& GetUpdateCheckJob();
RegistrationJob& GetRegistrationJob();
UserInfoJob& GetUserInfoJob();
AuxThread& GetAuxThread();

namespace Services {
// Start-up: an update check armed to run at once, then the worker with the update check, the
// registration and the user-information jobs, in that order.
void Start();
// Exit: stops the worker. False when it did not end in time; it then still runs and the jobs
// and settings it uses must outlive it.
bool Stop();
}  // namespace Services
