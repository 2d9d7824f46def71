#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// Starting programs that outlive the program that started them: no shell, an argument vector,
// a session of their own, standard input and output on /dev/null, and a reaper so that a child that
// ends first leaves no zombie behind.
namespace DetachedProcess {

// Starts program (a path) with arguments (argv[1..]); the process id, or nullopt when it could
// not be started (not found, not executable).
std::optional<pid_t> Start(const std::string& program, const std::vector<std::string>& arguments);

// The full path of an executable file named name: name itself when it holds a '/', else the
// first match on $PATH. nullopt when there is none.
std::optional<std::string> FindExecutable(const std::string& name);

}  // namespace DetachedProcess
