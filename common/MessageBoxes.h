#pragma once
// The three message forms every window of the program uses.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

enum class BoxKind { Notice, Error, Confirm, Choice };

// Tests answer the program's boxes through this instead of a modal loop: the observer
// sees every box with its caption and full text and returns true for OK.
using BoxObserver = std::function<bool(BoxKind kind, const QString& caption, const QString& text)>;
void SetBoxObserver(BoxObserver observer);
// Tests that pick one button of a choice box answer through this one (the index of the
// button); without it a choice box goes to the box observer, OK meaning the first button.
using ChoiceObserver = std::function<int(const QString& text, const QStringList& buttons)>;
void SetChoiceObserver(ChoiceObserver observer);

// Plain notice: application title as caption, no icon, one OK button.
void ShowNotice(const QString& text, QWidget* parent = nullptr);
// Standard error box: application title, error icon, OK, full-stop rule applied.
void ShowErrorBox(const QString& message, QWidget* parent = nullptr);
// Confirmation box captioned "Confirm" with OK and Cancel; true on OK.
bool Confirm(const QString& text, QWidget* parent = nullptr);
// A question with the program's own answers: application title, warning icon, one button per
// answer, the first one the default. Returns the index of the button chosen; closing the box
// (Esc, the close box, a shutdown closing every window) gives `cancelIndex`.
int AskChoice(const QString& text, const QStringList& buttons, int cancelIndex, QWidget* parent = nullptr);
