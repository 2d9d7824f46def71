// Starts a program and measures, from outside, how long it takes until its window shows a
// given colour at a given screen point (its first paint), then its memory a while later. Run
// on an X server of its own (bench/startup/measure.sh does that).
//
// Usage: first-paint-probe X Y RRGGBB|- SETTLE_MS PROGRAM [ARGS...]
// Prints: first_paint_ms=<ms> rss_kib=<n> pss_kib=<n> uss_kib=<n> pixel=<RRGGBB after
// SETTLE_MS> and, for a program that writes a start-up trace (TIVORA_STARTUP_TRACE, which the
// probe sets), phase_<name>_ms=<ms since exec> for each of its phases.
// With "-" for the colour it does not wait for one (to learn the colour a program shows).
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// What the process costs the machine, from /proc/PID/smaps_rollup: resident (RSS), its
// proportional share of pages it shares (PSS), and its pages alone (USS: private clean and
// dirty), in KiB; -1 where unreadable.
struct Memory {
    long rss = -1;
    long pss = -1;
    long uss = -1;
};

Memory MemoryOf(pid_t pid) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    Memory memory;
    long privateKib = 0;
    int privateParts = 0;
    std::string line;
    while (std::getline(rollup, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, colon);
        const long kib = std::strtol(line.c_str() + colon + 1, nullptr, 10);
        if (key == "Rss") {
            memory.rss = kib;
        } else if (key == "Pss") {
            memory.pss = kib;
        } else if (key == "Private_Clean" || key == "Private_Dirty") {
            privateKib += kib;
            ++privateParts;
        }
    }
    if (privateParts == 2) {
        memory.uss = privateKib;
    }
    return memory;
}

long long Nanoseconds(Clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

// The trace's phases as " phase_NAME_ms=MS" fields, in milliseconds since start (the steady
// clock is the trace's CLOCK_MONOTONIC).
std::string Phases(const std::string& path, Clock::time_point start) {
    std::ifstream trace(path);
    std::string fields;
    std::string name;
    long long stamp = 0;
    while (trace >> name >> stamp) {
        char field[160];
        std::snprintf(field, sizeof field, " phase_%s_ms=%.1f", name.c_str(),
                      static_cast<double>(stamp - Nanoseconds(start)) / 1e6);
        fields += field;
    }
    return fields;
}

// The pixel at (x, y) of the root window as 0xRRGGBB; -1 when it cannot be read.
long PixelAt(xcb_connection_t* connection, xcb_window_t root, int x, int y) {
    xcb_get_image_cookie_t cookie =
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), 1, 1, 0xFFFFFFFF);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(connection, cookie, nullptr);
    if (reply == nullptr) {
        return -1;
    }
    long pixel = -1;
    if (xcb_get_image_data_length(reply) >= 4) {
        const uint8_t* data = xcb_get_image_data(reply);
        // 24-bit depth, 32 bits per pixel, little-endian BGRX.
        pixel = (long{data[2]} << 16) | (long{data[1]} << 8) | long{data[0]};
    }
    std::free(reply);
    return pixel;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s X Y RRGGBB SETTLE_MS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const bool learn = std::string(argv[3]) == "-";
    const long wanted = learn ? -1 : std::strtol(argv[3], nullptr, 16);
    const int settleMs = std::atoi(argv[4]);
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "no X server\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;

    char tracePath[] = "/tmp/tivora-startup-trace.XXXXXX";
    const int traceFd = mkstemp(tracePath);
    if (traceFd >= 0) {
        close(traceFd);
        setenv("TIVORA_STARTUP_TRACE", tracePath, 1);
    }

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[5], nullptr, nullptr, argv + 5, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[5]);
        return 2;
    }
    double paintMs = -1;
    while (!learn && Clock::now() - start < std::chrono::seconds(20)) {
        if (PixelAt(connection, root, x, y) == wanted) {
            paintMs = static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(
                                              Clock::now() - start)
                                              .count()) /
                      1000.0;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "%s ended before painting\n", argv[5]);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    const Memory memory = MemoryOf(pid);
    const long shown = PixelAt(connection, root, x, y);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    xcb_disconnect(connection);
    const std::string phases = traceFd >= 0 ? Phases(tracePath, start) : std::string();
    if (traceFd >= 0) {
        unlink(tracePath);
    }
    std::printf("first_paint_ms=%.1f rss_kib=%ld pss_kib=%ld uss_kib=%ld pixel=%06lx%s\n", paintMs,
                memory.rss, memory.pss, memory.uss, shown, phases.c_str());
    return paintMs < 0 && !learn ? 1 : 0;
}
