#pragma once

#include <QPointer>

#include "platform/os/ImageList.h"
#include "ui/controls/TivoraButtons.h"
#include "ui/toolbar/BarGeometry.h"
#include "ui/toolbar/CSearchStringEdit.h"

class GamesConfig;
class QPainter;
class QWidget;
class WindowSection;

// The bar's search box and search button, and the bar's background behind everything. In
// mini size the bar has no search: the panel makes no controls then.
class SearchPanel {
public:
    static constexpr int kMaxQueryLength = 65;
    static constexpr Rect kEditRect{115, 3, 280, 21};
    static constexpr int kButtonX = 283;
    static constexpr int kButtonY = 2;

    // The size mode is read from window at every Create and Paint.
    SearchPanel(GamesConfig& games, const WindowSection& window);
    ~SearchPanel();
    SearchPanel(const SearchPanel&) = delete;
    SearchPanel& operator=(const SearchPanel&) = delete;

    // Makes the edit and the button on parent in normal size; true when both were made, or
    // in mini size, where nothing is made.
    bool Create(QWidget* parent);
    // Destroys the edit, then the button.
    void Destroy();
    // The bar's background for the current size mode.
    void Paint(QPainter& painter) const;

    CSearchStringEdit* Edit() const { return edit_; }
    CTivoraCustomButton* Button() const { return button_; }

    // A command of the bar: the search button's runs the search. False for any other.
    bool OnCommand(int id);

private:
    bool Mini() const;

    GamesConfig& games_;
    const WindowSection& window_;
    QPointer<CTivoraCustomButton> button_;
    QPointer<CSearchStringEdit> edit_;
    ImageList background_{BarGeometry::kNormalSize.width(), BarGeometry::kNormalSize.height()};
    ImageList logo_{23, 23};
};
