#include "platform/net/Http.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/net/TransferMessages.h"
#include "platform/os/OwnedDescriptor.h"
#include "platform/os/Spawn.h"
#include "platform/os/SystemPaths.h"

namespace Http {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kProgramName[] = "tivora-transfer";
// Names the transfer program to use instead of the one installed with the program.
constexpr char kProgramVariable[] = "TIVORA_TRANSFER_PROGRAM";
// While a transfer runs, its cancel flag is looked at this often; an idle program never waits
// this way.
constexpr int kCancelCheckMs = 50;
// Beyond the transfer's own time-out, what the transfer process gets to start and to answer.
constexpr auto kGrace = std::chrono::seconds(2);

Result Failure(std::string error) {
    Result result;
    result.error = std::move(error);
    return result;
}

std::optional<std::string> TransferProgram() {
    if (const char* chosen = std::getenv(kProgramVariable); chosen != nullptr && *chosen != '\0') {
        return std::string(chosen);
    }
    return SystemPaths::HelperProgram(kProgramName);
}

std::string HowItEnded(int status) {
    if (WIFSIGNALED(status)) {
        return "it was ended by signal " + std::to_string(WTERMSIG(status));
    }
    return "it ended with status " + std::to_string(WEXITSTATUS(status));
}

// The transfer process of one request, killed and reaped at the latest when this goes.
class TransferProcess {
public:
    ~TransferProcess() {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            Reap();
        }
    }

    // Starts program with its standard input and output on channel; an error text when it
    // cannot.
    std::string Start(const std::string& program, int channel) {
        // Nothing else of the program's: its sockets, files and pipes stay its own.
        Spawn::Plan plan;
        plan.descriptors = {{channel, STDIN_FILENO}, {channel, STDOUT_FILENO}};
        plan.closeFrom = STDERR_FILENO + 1;
        const int error = Spawn::Start(pid_, program, {}, plan);
        if (error != 0) {
            pid_ = 0;
            return "Unable to start the transfer program " + program + ": " + std::strerror(error);
        }
        // Through the system call: glibc 2.36 declares pidfd_open without C linkage.
        exit_.Reset(static_cast<int>(syscall(SYS_pidfd_open, pid_, 0)));
        return {};
    }

    // Readable once the process has ended; -1 when the kernel offers no such descriptor.
    int ExitDescriptor() const { return exit_.Get(); }
    bool Ended() const { return reaped_; }
    int Status() const { return status_; }

    void Reap() {
        while (!reaped_) {
            if (waitpid(pid_, &status_, 0) == pid_ || errno != EINTR) {
                reaped_ = true;
            }
        }
    }

    void Kill() {
        if (!reaped_) {
            kill(pid_, SIGKILL);
            Reap();
        }
    }

private:
    pid_t pid_ = 0;
    OwnedDescriptor exit_;
    bool reaped_ = false;
    int status_ = 0;
};

// Hands request to a transfer process and takes its reply: at most the reply a request can
// have, within the transfer's time-out and a grace, and only while options.cancel is not set.
// The process is killed as soon as the transfer is no longer wanted.
Result Run(const TransferMessages::Request& request, const Options& options) {
    auto cancelled = [&options] { return options.cancel != nullptr && options.cancel->load(); };
    if (cancelled()) {
        return Failure("Cancelled");
    }
    const std::optional<std::string> program = TransferProgram();
    if (!program) {
        return Failure(std::string("Unable to find the transfer program ") + kProgramName +
                       " beside the program or in ../libexec/tivora");
    }
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        return Failure(std::string("Unable to talk to a transfer program: ") +
                       std::strerror(errno));
    }
    OwnedDescriptor channel(pair[0]);
    OwnedDescriptor theirs(pair[1]);
    TransferProcess process;
    if (std::string error = process.Start(*program, theirs.Get()); !error.empty()) {
        return Failure(error);
    }
    theirs.Reset();
    fcntl(channel.Get(), F_SETFL, fcntl(channel.Get(), F_GETFL) | O_NONBLOCK);

    const std::string out = TransferMessages::EncodeRequest(request);
    std::size_t sent = 0;
    std::string reply;
    const std::size_t maxReply = TransferMessages::MaxReplySize(request.maxBodySize);
    std::optional<Clock::time_point> deadline;
    if (options.transferTimeout.count() > 0) {
        deadline = Clock::now() + options.transferTimeout + kGrace;
    }
    bool replyEnded = false;
    std::optional<Result> answer;
    bool killedHere = false;
    std::string failure;
    while (true) {
        if (replyEnded) {
            // An answer is taken at once; without one, how the process ended is the news.
            if (answer || process.Ended()) {
                break;
            }
            if (process.ExitDescriptor() < 0) {
                killedHere = true;  // with no way to wait for its end, it is not waited for
                break;
            }
        }
        if (cancelled()) {
            failure = "Cancelled";
            break;
        }
        if (deadline && Clock::now() >= *deadline) {
            failure = "The transfer program did not answer within " +
                      std::to_string(options.transferTimeout.count() + kGrace.count()) + " s";
            break;
        }
        pollfd watched[2];
        nfds_t count = 0;
        if (!replyEnded) {
            watched[count++] = {channel.Get(),
                                static_cast<short>(POLLIN | (sent < out.size() ? POLLOUT : 0)), 0};
        }
        if (!process.Ended() && process.ExitDescriptor() >= 0) {
            watched[count++] = {process.ExitDescriptor(), POLLIN, 0};
        }
        int timeout = options.cancel != nullptr ? kCancelCheckMs : -1;
        if (deadline) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
            const int leftMs = static_cast<int>(std::max<long long>(left.count(), 0) + 1);
            timeout = timeout < 0 ? leftMs : std::min(timeout, leftMs);
        }
        if (poll(watched, count, timeout) <= 0) {
            continue;
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (watched[i].revents == 0) {
                continue;
            }
            if (watched[i].fd == process.ExitDescriptor()) {
                process.Reap();
                continue;
            }
            if ((watched[i].revents & POLLOUT) != 0 && sent < out.size()) {
                const ssize_t wrote = send(channel.Get(), out.data() + sent, out.size() - sent,
                                           MSG_NOSIGNAL | MSG_DONTWAIT);
                if (wrote > 0) {
                    sent += static_cast<std::size_t>(wrote);
                } else if (errno != EAGAIN && errno != EINTR) {
                    sent = out.size();  // it stopped reading: its end tells the rest
                }
                if (sent == out.size()) {
                    shutdown(channel.Get(), SHUT_WR);
                }
            }
            if ((watched[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                char buffer[64 * 1024];
                const ssize_t got = recv(channel.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
                if (got > 0) {
                    reply.append(buffer, static_cast<std::size_t>(got));
                } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                    replyEnded = true;
                    answer = TransferMessages::DecodeReply(reply, request.maxBodySize);
                }
            }
        }
        if (reply.size() > maxReply) {
            failure = "The transfer program's answer is longer than " + std::to_string(maxReply) +
                      " bytes";
            break;
        }
    }
    const bool endedByItself = process.Ended() && !killedHere;
    process.Kill();
    if (!failure.empty()) {
        return Failure(failure);
    }
    if (answer) {
        return *answer;
    }
    const int status = process.Status();
    if (endedByItself && (WIFSIGNALED(status) || WEXITSTATUS(status) != 0)) {
        return Failure("The transfer program ended without an answer: " + HowItEnded(status));
    }
    return Failure("The transfer program's answer is unreadable");
}

TransferMessages::Request MakeRequest(const std::string& address, const Options& options) {
    TransferMessages::Request request;
    request.address = address;
    request.userAgent = options.userAgent;
    request.connectTimeoutSeconds = static_cast<long>(options.connectTimeout.count());
    request.transferTimeoutSeconds = static_cast<long>(options.transferTimeout.count());
    request.maxBodySize = options.maxBodySize;
    return request;
}

}  // namespace

Result Get(const std::string& address, const Options& options) {
    return Run(MakeRequest(address, options), options);
}

Result Post(const std::string& address, const std::string& contentType, const std::string& body,
            const Options& options) {
    TransferMessages::Request request = MakeRequest(address, options);
    request.method = TransferMessages::Request::Method::kPost;
    request.contentType = contentType;
    request.body = body;
    return Run(request, options);
}

std::string DefaultUserAgent() {
    return SystemPaths::ExecutableName();
}

}  // namespace Http
