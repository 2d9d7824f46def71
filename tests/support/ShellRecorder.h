#pragma once

#include <string>
#include <vector>

#include "platform/os/ShellExecute.h"

namespace testing_support {

// Records every ShellExecute call instead of starting a browser, while alive.
class ShellRecorder : public ShellExecuteHook::Hook {
public:
    ShellRecorder();
    ~ShellRecorder() override;
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    bool Intercept(const ShellExecuteHook::Call& call) override;
    // The parameters of every call, in order.
    std::vector<std::string> Parameters() const;

    std::vector<ShellExecuteHook::Call> calls;

private:
    ShellExecuteHook::Hook* previous_;
};

}  // namespace testing_support
