#include "app/StartupTrace.h"
#include "main/ProgramParts.h"
#include "platform/os/UnixSignals.h"
#include "ui/dialogs/ErrorDialogs.h"

int main(int argc, char** argv) {
    StartupTrace::Mark("main");
    // Before anything else: a logout or a kill during start-up must not cut off the exit save.
    UnixSignals::InstallTerminationHandlers();
    ProgramParts parts;
    DialogErrorPresenter presenter;
    return RunTivora(argc, argv, parts, presenter);
}
