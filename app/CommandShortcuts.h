#pragma once

#include <QObject>

class QWidget;

// Gives a window's command shortcuts precedence over the focused control: without it an
// edit box keeps Ctrl+C for its selection and Ctrl+E for the end of the line, and the
// window's "Copy Only" and "Change Entry Name" never see those keys. Other windows (a
// dialog open over this one) are left alone, so their controls keep the keys.
class TCommandShortcuts final : public QObject {
    Q_OBJECT
public:
    // Watches the key events of `window` and its descendants; lives as a child of it.
    explicit TCommandShortcuts(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isCommandKey(const QKeyCombination& key) const;
    QWidget* m_window;
};
