#pragma once

#include <optional>

class QDialog;

// Running windows modally. Tests install a hook that answers instead of the user, so that no
// test ever waits for a click on a real modal loop.
namespace Modal {

class Hook {
public:
    virtual ~Hook() = default;
    // Called with the fully built dialog instead of showing it; an answer ends it at once,
    // nullopt lets it run for real.
    virtual std::optional<int> Intercept(QDialog& dialog) = 0;
};

// Installs the hook (nullptr removes it). Returns the previous one.
Hook* SetHook(Hook* hook);

// Runs the dialog modally and returns its result code.
int Exec(QDialog& dialog);

// One modal dialog at a time: while a modal window other than wanted (which may be null) has
// the input, that window comes forward and the result is true; the caller then opens nothing.
bool BringOtherForward(const QDialog* wanted);

// A dialog that is open already only comes forward, as does another modal window that has the
// input (the dialog is not shown then: false); otherwise it runs as Exec does.
bool ExecOrRaise(QDialog& dialog);

}  // namespace Modal
