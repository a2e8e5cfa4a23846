#pragma once
// The key-capture field of the Options dialog: shows a shortcut value as text ("Ctrl+F8")
// and takes the next key combination pressed in it as the new value.

#include <QLineEdit>

class THotKeyEdit final : public QLineEdit {
    Q_OBJECT

public:
    explicit THotKeyEdit(QWidget* parent = nullptr);

    quint16 HotKey() const { return m_hotKey; }
    void SetHotKey(quint16 shortcut);

    // A combination without Ctrl or Alt would take a plain key (or a capital letter) away
    // from every other program, so it becomes Alt plus the key: F8 is Alt+F8, Shift+A is
    // Alt+A. Combinations with Ctrl or Alt are kept as pressed.
    static quint16 ApplyRule(quint16 shortcut);

Q_SIGNALS:
    void hotKeyChanged(quint16 shortcut);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Alt+A until the dialog sets the stored value.
    quint16 m_hotKey = 0x8041;
};
