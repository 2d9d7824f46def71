#include "platform/os/Spawn.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <csignal>

extern char** environ;

namespace Spawn {
namespace {

// Owns the spawn attributes and file actions for the length of one start.
class Setup {
public:
    explicit Setup(const Plan& plan) {
        posix_spawnattr_init(&attributes_);
        posix_spawn_file_actions_init(&actions_);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (plan.newSession) {
            flags |= POSIX_SPAWN_SETSID;
        }
        posix_spawnattr_setflags(&attributes_, flags);
        if (plan.quiet) {
            posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
            posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        }
        for (const auto& [ours, theirs] : plan.descriptors) {
            posix_spawn_file_actions_adddup2(&actions_, ours, theirs);
        }
        if (plan.closeFrom >= 0) {
            posix_spawn_file_actions_addclosefrom_np(&actions_, plan.closeFrom);
        }
    }
    ~Setup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    Setup(const Setup&) = delete;
    Setup& operator=(const Setup&) = delete;

    const posix_spawnattr_t* Attributes() const { return &attributes_; }
    const posix_spawn_file_actions_t* Actions() const { return &actions_; }

private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

}  // namespace

int Start(pid_t& pid, const std::string& program, const std::vector<std::string>& arguments,
          const Plan& plan) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const Setup setup(plan);
    return posix_spawn(&pid, program.c_str(), setup.Actions(), setup.Attributes(), argv.data(),
                       environ);
}

}  // namespace Spawn
