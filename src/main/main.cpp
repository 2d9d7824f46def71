#include "main/ProgramParts.h"
#include "ui/dialogs/ErrorDialogs.h"

int main(int argc, char** argv) {
    ProgramParts parts;
    DialogErrorPresenter presenter;
    return RunTivora(argc, argv, parts, presenter);
}
