#pragma once

#include <string>

class QWidget;

void ApplyToolbarHints(QWidget& window);
void SetKeepAbove(QWidget& window, bool above);
void ActivateWithToken(QWidget& window, const std::string& token);
