#include "services/UpdateCheckJob.h"

#include "app/Trace.h"
#include "config/GamesConfig.h"
#include "config/UpdateSection.h"
#include "config/VersionUtils.h"
#include "platform/net/Http.h"
#include "services/AuxThread.h"
#include "services/Manifest.h"

UpdateCheckJob::UpdateCheckJob(const GamesConfig& config, const UpdateSection& section)
    : Job(kPeriod), config_(config), section_(section) {}

void UpdateCheckJob::RequestRun(bool compareWithOwn, bool reportEvery) {
    compareWithOwnVersion = compareWithOwn;
    reportEveryOutcome = reportEvery;
    Job::RequestRun();
}

void UpdateCheckJob::Run() {
    UpdateManifest manifest;
    const int code = Check(manifest);
    UpdateListener* listener = listener_.load();
    if (listener != nullptr) {
        if (code == kNewer) {
            listener->UpdateAvailable(manifest);
        } else if (reportEveryOutcome) {
            listener->UpdateResult(code);
        }
    }
    compareWithOwnVersion = false;
    reportEveryOutcome = false;
}

int UpdateCheckJob::Check(UpdateManifest& manifest) {
    Trace("Start chcking of new version");
    int code = kNotNewer;
    std::string text;
    if (!Load(text)) {
        code = kNotDownloaded;
    } else if (text.empty()) {
        Trace("Updater: Manifest is empty");
        code = kUnreadable;
    } else if (!Manifest::Parse(text, manifest)) {
        Trace("Updater: Unable to parse manifest file");
        code = kUnreadable;
    } else {
        code = IsNewer(manifest) ? kNewer : kNotNewer;
    }
    Trace("Finish chcking of new version");
    return code;
}

bool UpdateCheckJob::Load(std::string& text) {
    Trace("Loading manifest");
    const std::string address = config_.GetText("ManifestUrl");
    if (address.empty()) {
        Trace("Manifest url is empty");
        return false;
    }
    Http::Options options;
    options.userAgent = Http::DefaultUserAgent();
    options.cancel = AuxThread::StopFlag();
    // Whatever body the server sends is the manifest, an error page included.
    Http::Result result = Http::Get(address, options);
    if (!result.completed) {
        Trace("Updater: Internet connection error: " + result.error.substr(0, 255));
        return false;
    }
    text = Manifest::JoinLines(result.body);
    Trace("Loading manifest OK");
    return true;
}

bool UpdateCheckJob::IsNewer(const UpdateManifest& manifest) {
    Trace("Comparing versions");
    VersionUtils::Version referenceVersion;
    long referenceBuild = 0;
    if (compareWithOwnVersion || !section_.IsUpdateAvailable()) {
        referenceVersion = VersionUtils::GetCurrentVersion();
        referenceBuild = GetWebmasterVersion();
    } else {
        const UpdateManifest announced = section_.GetUpdateManifest();
        referenceVersion = VersionUtils::ParseVersion(announced.productVersion);
        referenceBuild = VersionUtils::ParseBuildNumber(announced.build);
    }
    switch (VersionUtils::CompareVersions(VersionUtils::ParseVersion(manifest.productVersion),
                                          referenceVersion)) {
        case 1:
            Trace("New version avaliable");
            return true;
        case -1:
            Trace("Version is older");
            return false;
        default:
            break;
    }
    const long build = VersionUtils::ParseBuildNumber(manifest.build);
    if (build > referenceBuild) {
        Trace("New build avaliable");
        return true;
    }
    Trace(build < referenceBuild ? "Build is older" : "Versions are equals");
    return false;
}
