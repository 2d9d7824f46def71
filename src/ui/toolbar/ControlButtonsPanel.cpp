#include "ui/toolbar/ControlButtonsPanel.h"

#include "ResourceIds.h"
#include "app/TextTable.h"
#include "config/WindowSection.h"
#include "ui/toolbar/BarGeometry.h"
#include "ui/toolbar/CControlButton.h"

namespace {

constexpr int kPairHeight = 26;
constexpr int kNormalX = 345;
// The two buttons stand one above the other, centred on the normal bar's height.
constexpr int kNormalTop = (BarGeometry::kNormalSize.height() - kPairHeight) / 2;
constexpr int kNormalStep = 14;
constexpr int kMiniX = 307;
constexpr int kMiniTop = 0;
constexpr int kMiniStep = 13;

QString Text(const char* key) {
    return QString::fromStdString(GetText(key));
}

// The button may be the one whose click led here, with its handler still running: it goes
// out of sight now and away once that handler is done.
void Discard(QPointer<CControlButton>& button) {
    if (button != nullptr) {
        button->hide();
        button->deleteLater();
        button = nullptr;
    }
}

}  // namespace

ControlButtonsPanel::ControlButtonsPanel(const WindowSection& window) : window_(window) {}

ControlButtonsPanel::~ControlButtonsPanel() {
    Destroy();
}

bool ControlButtonsPanel::Create(QWidget* parent) {
    Destroy();
    const bool mini = window_.Size() == SizeMode::Mini;
    const int x = mini ? kMiniX : kNormalX;
    const int top = mini ? kMiniTop : kNormalTop;
    const int step = mini ? kMiniStep : kNormalStep;

    auto* hide = new CControlButton(parent);
    hide_ = hide;
    const bool hideMade = hide->Create(Res::IDB_HIDE_TO_TRAY, Text("main.buttons.tray.tooltip"), x,
                                       top, parent, Res::IDC_HIDE_TO_TRAY);

    auto* size = new CControlButton(parent);
    size_ = size;
    const bool sizeMade = size->Create(
        Res::IDB_SIZE, Text(mini ? "mini.buttons.size.tooltip" : "normal.buttons.size.tooltip"), x,
        top + step, parent, Res::IDC_SIZE);
    return hideMade && sizeMade;
}

void ControlButtonsPanel::Destroy() {
    Discard(size_);
    Discard(hide_);
}

CControlButton* ControlButtonsPanel::SizeButton() const {
    return size_.data();
}

CControlButton* ControlButtonsPanel::HideButton() const {
    return hide_.data();
}
