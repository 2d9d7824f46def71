#pragma once

#include <string>

#include "ui/controls/CBalloonToolTip.h"
#include "ui/controls/CToolbarEdit.h"

class GamesConfig;

// The bar's search box: Enter searches the service for the typed text instead of typing
// anything, and a balloon says what the box is for.
class CSearchStringEdit : public CToolbarEdit {
    Q_OBJECT
public:
    // The affiliate code comes from games' configuration texts.
    explicit CSearchStringEdit(GamesConfig& games, QWidget* parent = nullptr);

    CBalloonToolTip& ToolTip() { return toolTip_; }

    // Opens the search for the box's text in the browser, as it opens addresses by default (a
    // tab or a window): the service's home page for an empty box. The box keeps its text.
    void RunSearch();

    // The address a search for text opens: the service's prefix, the text percent-encoded
    // (so "&" and "=" stay part of the query), then "&affiliate=" and the code when there is
    // one.
    static std::string SearchAddress(const QString& text, const std::string& affiliateCode);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    GamesConfig& games_;
    CBalloonToolTip toolTip_;
};
