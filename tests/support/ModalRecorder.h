#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/controls/Modal.h"

class QDialog;

namespace testing_support {

// Answers every modal window instead of the user and remembers what would have been shown.
class ModalRecorder : public Modal::Hook {
public:
    struct Shown {
        std::string className;  // the dialog's C++ class
        std::string title;
        std::string text;  // a message box's text, else empty
    };
    explicit ModalRecorder(int answer = 1);
    ~ModalRecorder() override;

    std::optional<int> Intercept(QDialog& dialog) override;

    // Runs for every intercepted dialog before it is answered (to look inside or click).
    std::function<void(QDialog&)> onShown;

    const std::vector<Shown>& ShownDialogs() const { return shown_; }

private:
    Modal::Hook* previous_;
    int answer_;
    std::vector<Shown> shown_;
};

}  // namespace testing_support
