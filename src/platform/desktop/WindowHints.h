#pragma once

#include <QPoint>
#include <optional>
#include <string>

class QWidget;

// What the window manager must know of the bar beyond what Qt tells it. On X11 Qt's Qt::Tool
// only names the window a utility window, which not every taskbar or pager leaves out, and a
// change of Qt::WindowStaysOnTopHint makes Qt hide and show the window again. Elsewhere these
// fall back on Qt's own means.

// Keeps the window out of the taskbar and the pager: the window manager sees both states when
// the window is mapped, and again every time it is shown after a hide.
void ApplyToolbarHints(QWidget& window);

// Keeps the window above the others exactly while above is set, without hiding it and without
// losing its place or the states above.
void SetKeepAbove(QWidget& window, bool above);

// Brings the window forward for a start the user asked for elsewhere: token is the startup
// token that start came with (empty when none), which lets a window manager that prevents
// focus stealing hand over the focus, and which ends the launcher's busy feedback.
void ActivateWithToken(QWidget& window, const std::string& token);

// Where the window's top-left corner is on the screen now, as the X server has it; nullopt
// where the window system cannot say (not X11, no window yet). Qt's own idea of the place can
// lag behind: it learns of a move from the window manager's report, which comes at the end of a
// drag, and a report that crosses Qt's own query of the place while the window manager frames a
// new window leaves it with the frame's first corner.
std::optional<QPoint> PlaceOnScreen(const QWidget& window);
