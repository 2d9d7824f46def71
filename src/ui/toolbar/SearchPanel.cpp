#include "ui/toolbar/SearchPanel.h"

#include <QPainter>
#include <QString>

#include "ResourceIds.h"
#include "app/TextTable.h"
#include "config/WindowSection.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/WindowStyles.h"

namespace {

constexpr int kStripWidth = 13;
const QColor kMiniFrame(238, 142, 0);
const QColor kMiniStrip(239, 144, 0);
const QColor kColumnTop(135, 102, 38);
const QColor kColumnBottom(232, 151, 38);

}  // namespace

SearchPanel::SearchPanel(GamesConfig& games, const WindowSection& window)
    : games_(games), window_(window) {
    // Converted once: painting only draws them.
    background_.AddMasked(LoadBitmap(Res::IDB_BAR_BACKGROUND), kKeyColor);
    logo_.AddMasked(LoadBitmap(Res::IDB_LOGO), kKeyColor);
}

SearchPanel::~SearchPanel() {
    Destroy();
}

bool SearchPanel::Mini() const {
    return window_.Size() == SizeMode::Mini;
}

bool SearchPanel::Create(QWidget* parent) {
    if (Mini()) {
        return true;
    }
    using namespace WindowStyles;
    auto* edit = new CSearchStringEdit(games_, parent);
    edit_ = edit;
    const QString editTip = QString::fromStdString(GetText("main.edits.search.tooltip"));
    bool made = edit->Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kEditRect, parent,
                             Res::IDC_SEARCH_EDIT) &&
                edit->ToolTip().Create(edit, editTip);
    edit->setMaxLength(kMaxQueryLength);
    // No label stands by the box: what its balloon says names it.
    edit->setAccessibleName(editTip);
    edit->setAccessibleDescription(editTip);

    auto* button = new CTivoraCustomButton(parent);
    button_ = button;
    const bool buttonMade =
        button->Create(Res::IDB_SEARCH_HOT, Res::IDB_SEARCH,
                       QString::fromStdString(GetText("main.buttons.search.tooltip")), kButtonX,
                       kButtonY, parent, Res::IDC_SEARCH_BUTTON);
    // The button's word is in its picture.
    button->setAccessibleName(QStringLiteral("Search"));
    return made && buttonMade;
}

void SearchPanel::Destroy() {
    delete edit_.data();
    delete button_.data();
}

bool SearchPanel::OnCommand(int id) {
    if (id != Res::IDC_SEARCH_BUTTON) {
        return false;
    }
    if (edit_ != nullptr) {
        edit_->RunSearch();
    }
    return true;
}

void SearchPanel::Paint(QPainter& painter) const {
    if (!Mini()) {
        background_.Draw(painter, 0, 0, 0);
        return;
    }
    const Rect client{0, 0, BarGeometry::kMiniSize.width(), BarGeometry::kMiniSize.height()};
    Draw3dRect(painter, client, kMiniFrame, kMiniFrame);
    logo_.Draw(painter, 0, 0, 1);
    const Rect strip{client.right - kStripWidth, client.top + 1, client.right, client.bottom - 1};
    FillSolidRect(painter, strip, kMiniStrip);
    FillGradient(painter, Rect{strip.left - 1, strip.top, strip.left, strip.bottom}, kColumnTop,
                 kColumnBottom, GradientDirection::Vertical);
}
