#pragma once

#include <atomic>

#include "config/UpdateManifest.h"
#include "services/Job.h"

class GamesConfig;
class UpdateSection;

// Told of the update check's outcome. Called on the worker thread: an implementation only
// copies what it gets and hands it to its own thread.
class UpdateListener {
public:
    virtual ~UpdateListener() = default;
    virtual void UpdateAvailable(const UpdateManifest& manifest) = 0;
    virtual void UpdateResult(int code) = 0;
};

// Once an hour, at start-up and on request: is there a release newer than the running program,
// or newer than the one already announced?
class UpdateCheckJob : public Job {
public:
    enum Result {
        kNewer = 0,          // a newer release exists
        kNotNewer = 1,       // the manifest was read and is not newer
        kNotDownloaded = 3,  // no address, or a connection error
        kUnreadable = 4,     // the manifest is empty or does not parse
    };
    static constexpr int kPeriod = 3600;

    UpdateCheckJob(const GamesConfig& config, const UpdateSection& section);

    // The options for the next run, which the worker starts at once (after a job that runs).
    void RequestRun(bool compareWithOwn, bool reportEvery);
    // Not owned. Read by the worker without a lock: the listener must outlive the worker (the
    // program sets one that lives as long as it does, and that finds the window itself).
    void SetListener(UpdateListener* listener) { listener_ = listener; }

    void Run() override;
    // One check into manifest; the result code.
    int Check(UpdateManifest& manifest);

    std::atomic<bool> compareWithOwnVersion{false};
    std::atomic<bool> reportEveryOutcome{false};

private:
    bool Load(std::string& text);
    bool IsNewer(const UpdateManifest& manifest);

    const GamesConfig& config_;
    const UpdateSection& section_;
    std::atomic<UpdateListener*> listener_{nullptr};
};
