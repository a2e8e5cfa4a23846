#pragma once
// The three message forms every window of the program uses.

#include <QString>

class QWidget;

// Plain notice: application title as caption, no icon, one OK button.
void ShowNotice(const QString& text, QWidget* parent = nullptr);
// Standard error box: application title, error icon, OK, full-stop rule applied.
void ShowErrorBox(const QString& message, QWidget* parent = nullptr);
// Confirmation box captioned "Confirm" with OK and Cancel; true on OK.
bool Confirm(const QString& text, QWidget* parent = nullptr);
