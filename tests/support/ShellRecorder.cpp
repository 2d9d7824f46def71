#include "support/ShellRecorder.h"

namespace testing_support {

ShellRecorder::ShellRecorder() : previous_(ShellExecuteHook::Set(this)) {}

ShellRecorder::~ShellRecorder() {
    ShellExecuteHook::Set(previous_);
}

bool ShellRecorder::Intercept(const ShellExecuteHook::Call& call) {
    calls.push_back(call);
    return true;
}

std::vector<std::string> ShellRecorder::Parameters() const {
    std::vector<std::string> parameters;
    for (const auto& call : calls) {
        parameters.push_back(call.parameters);
    }
    return parameters;
}

}  // namespace testing_support
