#pragma once
// The Options dialog: the auto-append switch and string and the activation hotkey. It edits
// the in-memory settings; they reach the settings file at the next normal exit.

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class THotKeyEdit;

// How the dialog reaches the live activation hotkey, which belongs to the main window: it
// is released while the dialog is open and registered again when it closes.
struct TOptionsHotKey {
    std::function<bool(quint16 shortcut)> Register; // true when the desktop took it
    std::function<void()> Release;
};

class TfrmOptions final : public QDialog {
    Q_OBJECT

public:
    explicit TfrmOptions(TOptionsHotKey hotKey, QWidget* parent = nullptr);

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

    TOptionsHotKey m_hotKey;
};
