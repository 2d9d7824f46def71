// Starts a program and measures, from outside, how long it takes until its window shows a
// given colour at a given screen point (its first paint), then its resident memory a while
// later. Run on an X server of its own (bench/startup/measure.sh does that).
//
// Usage: first-paint-probe X Y RRGGBB|- SETTLE_MS PROGRAM [ARGS...]
// Prints: first_paint_ms=<n> rss_kib=<n> pixel=<RRGGBB after SETTLE_MS>
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

long RssKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
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

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[5], nullptr, nullptr, argv + 5, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[5]);
        return 2;
    }
    long paintMs = -1;
    while (!learn && Clock::now() - start < std::chrono::seconds(20)) {
        if (PixelAt(connection, root, x, y) == wanted) {
            paintMs = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start)
                          .count() /
                      1000;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "%s ended before painting\n", argv[5]);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    const long rss = RssKib(pid);
    const long shown = PixelAt(connection, root, x, y);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    xcb_disconnect(connection);
    std::printf("first_paint_ms=%ld rss_kib=%ld pixel=%06lx\n", paintMs, rss, shown);
    return paintMs < 0 && !learn ? 1 : 0;
}
