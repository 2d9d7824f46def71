#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// Every child this program starts, started alike: no shell, an argument vector, and signals at
// their defaults and unblocked whatever the starting thread had blocked or ignored.
namespace Spawn {

struct Plan {
    // Descriptors put in the child's places, in order: {ours, the child's}.
    std::vector<std::pair<int, int>> descriptors;
    // A session of its own, so that a terminal's hang-up or Ctrl+C aimed at us passes it by.
    bool newSession = false;
    // Standard input, output and error on /dev/null, before the descriptors above.
    bool quiet = false;
    // Every descriptor from this one up closed in the child (after the ones above are placed);
    // -1 leaves them to their close-on-exec flags.
    int closeFrom = -1;
};

// Starts program (a path) with arguments (argv[1..]); 0 and the child's id in pid, or the
// error number.
int Start(pid_t& pid, const std::string& program, const std::vector<std::string>& arguments,
          const Plan& plan);

}  // namespace Spawn
