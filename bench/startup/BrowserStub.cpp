// Stands in for the browser when measuring click -> browser: appends the wall-clock time at
// which it runs (seconds.microseconds, as bash's EPOCHREALTIME) to the file named by
// $TIVORA_STUB_RECORD, then ends.
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const char* path = std::getenv("TIVORA_STUB_RECORD");
    if (path == nullptr) {
        return 2;
    }
    std::FILE* file = std::fopen(path, "a");
    if (file == nullptr) {
        return 1;
    }
    std::fprintf(file, "%lld.%06ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec / 1000);
    return std::fclose(file) == 0 ? 0 : 1;
}
