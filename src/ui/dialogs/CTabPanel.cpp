#include "ui/dialogs/CTabPanel.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>

#include "ResourceIds.h"
#include "ui/controls/Drawing.h"
#include "ui/controls/SkinClasses.h"

CTabPanel::CTabPanel(QWidget* parent) : TemplateDialog(parent) {
    setWindowFlags(Qt::Widget);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CTabPanel::Create(QWidget* host) {
    DestroyWindow();
    SkinClasses::Register();
    setParent(host, Qt::Widget);
    Build(PageTemplate(), PageMakers());
    // A page's buttons never act on Enter: Enter inside a page does nothing.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    created_ = true;
    InitPage();
}

void CTabPanel::DestroyWindow() {
    if (created_) {
        hide();
        DestroyControls();
        created_ = false;
    }
}

bool CTabPanel::Validate(std::string& error) {
    (void)error;
    return true;
}

void CTabPanel::OnCommand(int id) {
    if (id == Res::IDOK) {
        return;
    }
    if (id == Res::IDCANCEL) {
        SendCommandToOwner(this, Res::IDCANCEL);
        return;
    }
    OnPageCommand(id);
}

void CTabPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    FillGradient(painter, Rect::FromSize(0, 0, width(), height()), kTop, kBottom,
                 GradientDirection::Vertical);
}

void CTabPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}
