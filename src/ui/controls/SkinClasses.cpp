#include "ui/controls/SkinClasses.h"

#include <mutex>

#include "ui/controls/CGamesList.h"
#include "ui/controls/CTivoraTabCtrl.h"
#include "ui/controls/CToolbarEdit.h"
#include "ui/controls/DialogTemplate.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/controls/TivoraStatics.h"

namespace SkinClasses {

void Register() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        CGamesList::RegisterWindowClass();
        ControlClasses::Register("TivoraButton", MakerFor<CTivoraButton>());
        ControlClasses::Register("TivoraCustomButton", MakerFor<CTivoraCustomButton>());
        ControlClasses::Register("TivoraCheckbox", MakerFor<CTivoraCheckbox>());
        ControlClasses::Register("TivoraStatic", MakerFor<CTivoraStatic>());
        ControlClasses::Register("SimpleStatic", MakerFor<CSimpleStatic>());
        ControlClasses::Register("ToolbarEdit", MakerFor<CToolbarEdit>());
        ControlClasses::Register("TivoraTabCtrl", MakerFor<CTivoraTabCtrl>());
    });
}

}  // namespace SkinClasses
