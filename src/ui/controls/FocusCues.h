#pragma once

class QWidget;

// Whether the skinned controls show where the keyboard focus is. A control that has the focus
// draws its focus mark only while the keyboard is in use: from the first key pressed until the
// next press of a mouse button, so that a click leaves no mark behind.
namespace FocusCues {

// Starts following the user's keys and clicks in this application; the controls that draw a
// focus mark call it when they are made. Later calls do nothing.
void Follow();

bool Shown();
// Sets the state as the user's input would, and repaints the control that has the focus.
void SetShown(bool shown);

// The control has the keyboard focus and the keyboard is in use: its focus mark shows.
bool ShowsMark(const QWidget& control);

}  // namespace FocusCues
