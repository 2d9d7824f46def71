// Stands in for the user's browser in tests: writes its arguments, one per line, to the file
// named by $STUB_BROWSER_OUTPUT. The file appears whole (written aside, then renamed).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    const char* output = std::getenv("STUB_BROWSER_OUTPUT");
    if (output == nullptr) {
        return 2;
    }
    const std::string partial = std::string(output) + ".partial";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        for (int i = 1; i < argc; ++i) {
            file << argv[i] << '\n';
        }
    }
    return std::rename(partial.c_str(), output) == 0 ? 0 : 1;
}
