#pragma once

#include <QString>

#include "ui/controls/TivoraButtons.h"

// One of the bar's small picture buttons (size, hide to tray): a single picture over the
// bar's own pixels and a balloon tooltip.
class CControlButton : public CButtonST {
    Q_OBJECT
public:
    static constexpr int kWidth = 12;
    static constexpr int kHeight = 13;

    explicit CControlButton(QWidget* parent = nullptr);

    // A visible child of parent at (x, y) showing bitmap bitmapId; false when the window
    // cannot be made.
    bool Create(int bitmapId, const QString& tooltip, int x, int y, QWidget* parent, int id);
};
