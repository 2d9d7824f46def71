#pragma once

#include <QColor>
#include <QFont>
#include <string>

#include "ui/controls/CTivoraDialog.h"

// The version the About dialog shows: the executable's file version with its fourth number
// replaced by the installation's build (the configuration's "WebmasterVersion"). Raises when
// the executable's version cannot be read.
std::string GetDisplayVersion();

// "About": the product's name in bold, its icon on a dark ground, the version right-aligned,
// two fixed lines and CLOSE.
class CAboutDialog : public CTivoraDialog {
    Q_OBJECT
public:
    static inline const QColor kIconGround{61, 61, 61};

    explicit CAboutDialog(QWidget* parent = nullptr);

    static const DialogTemplate& Template();
    void OnInitDialog() override;
    void setVisible(bool visible) override;

private:
    QFont boldFont_;
};
