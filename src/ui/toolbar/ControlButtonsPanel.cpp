#include "ui/toolbar/ControlButtonsPanel.h"

#include <QCoreApplication>

#include "ResourceIds.h"
#include "app/TextTable.h"
#include "config/WindowSection.h"
#include "ui/toolbar/CControlButton.h"
#include "ui/toolbar/ToolbarEvents.h"

namespace {

constexpr int kNormalHeight = 46;
constexpr int kPairHeight = 26;
constexpr int kNormalX = 345;
// The two buttons stand one above the other, centred on the normal bar's height.
constexpr int kNormalTop = (kNormalHeight - kPairHeight) / 2;
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

ControlButtonsPanel::ControlButtonsPanel(WindowSection& window) : window_(window) {}

ControlButtonsPanel::~ControlButtonsPanel() {
    Destroy();
}

bool ControlButtonsPanel::Create(QWidget* parent) {
    Destroy();
    parent_ = parent;
    const bool mini = window_.sizeMode == WindowSection::kMiniSize;
    const int x = mini ? kMiniX : kNormalX;
    const int top = mini ? kMiniTop : kNormalTop;
    const int step = mini ? kMiniStep : kNormalStep;

    auto* hide = new CControlButton(parent);
    hide_ = hide;
    const bool hideMade = hide->Create(Res::IDB_HIDE_TO_TRAY, Text("main.buttons.tray.tooltip"), x,
                                       top, parent, kHideId);
    hide->SetListener(this);

    auto* size = new CControlButton(parent);
    size_ = size;
    const bool sizeMade = size->Create(
        Res::IDB_SIZE, Text(mini ? "mini.buttons.size.tooltip" : "normal.buttons.size.tooltip"), x,
        top + step, parent, kSizeId);
    size->SetListener(this);
    return hideMade && sizeMade;
}

void ControlButtonsPanel::Destroy() {
    Discard(size_);
    Discard(hide_);
}

void ControlButtonsPanel::OnButtonClicked(int controlId) {
    if (controlId == kSizeId) {
        window_.sizeMode =
            window_.sizeMode == WindowSection::kMiniSize ? 0 : WindowSection::kMiniSize;
        window_.RequestSave();
        if (parent_ != nullptr) {
            RelayoutEvent relayout;
            QCoreApplication::sendEvent(parent_, &relayout);
        }
    } else if (controlId == kHideId && parent_ != nullptr) {
        HideToTrayEvent hideToTray;
        QCoreApplication::sendEvent(parent_, &hideToTray);
    }
}

CControlButton* ControlButtonsPanel::SizeButton() const {
    return size_.data();
}

CControlButton* ControlButtonsPanel::HideButton() const {
    return hide_.data();
}
