#pragma once
// The Options dialog: the auto-append switch and string and the activation hotkey. It edits
// the main window's settings value; they reach the settings file at the next normal exit.

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class THotKeyEdit;
struct Settings;

// How the dialog reaches the live activation hotkey, which belongs to the main window: it
// is released while the dialog is open and registered again when it closes.
struct TOptionsHotKey {
    std::function<bool(quint16 shortcut)> Register; // true when the desktop took it
    std::function<void()> Release;
};

class TfrmOptions final : public QDialog {
    Q_OBJECT

public:
    // `settings` is the main window's value; only OK changes it.
    TfrmOptions(Settings& settings, TOptionsHotKey hotKey, QWidget* parent = nullptr);

    void FormCreate();
    void btnOKClick();
    // Closing without OK: the Cancel button, the close box and the window menu's Close.
    void reject() override;

    QCheckBox* chkAutoAppend = nullptr;
    QLineEdit* txtAutoAppend = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    THotKeyEdit* hkActivation = nullptr;
    QLabel* lblActivation = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void RegisterHotKey();

    Settings& m_settings;
    TOptionsHotKey m_hotKey;
};
