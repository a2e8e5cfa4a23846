#pragma once
// The three message forms every window of the program uses.

#include <QString>

#include <functional>

class QWidget;

enum class BoxKind { Notice, Error, Confirm };

// Tests answer the program's boxes through this instead of a modal loop: the observer
// sees every box with its caption and full text and returns true for OK.
using BoxObserver = std::function<bool(BoxKind kind, const QString& caption, const QString& text)>;
void SetBoxObserver(BoxObserver observer);

// Plain notice: application title as caption, no icon, one OK button.
void ShowNotice(const QString& text, QWidget* parent = nullptr);
// Standard error box: application title, error icon, OK, full-stop rule applied.
void ShowErrorBox(const QString& message, QWidget* parent = nullptr);
// Confirmation box captioned "Confirm" with OK and Cancel; true on OK.
bool Confirm(const QString& text, QWidget* parent = nullptr);
