#pragma once
// Where the library is: the file (the default) or a schema on a PostgreSQL server named by
// its address. The connection can be tried first; OK hands the choice to the window, which
// switches to it, and the dialog stays open with the reason when that fails, so nothing
// typed is lost.

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QThread;

class LibraryDialog final : public QDialog {
    Q_OBJECT
public:
    // Switches the window to the library (empty for the file, else the address); false when
    // the user went back to a change that could not be stored first. Throws when the library
    // cannot be opened.
    using Switch = std::function<bool(const QString& library)>;

    // `library` is the "Library" setting in use; `filePath` the file the program uses when
    // it names none.
    LibraryDialog(
        const QString& library, const QString& filePath, Switch switchTo, QWidget* parent = nullptr);
    ~LibraryDialog() override;

    // Empty for the file, else the address as typed, without surrounding blanks.
    QString library() const;

    void accept() override;

private:
    void testConnection();
    void showStatus(const QString& text);
    void updateControls();

    QString m_filePath;
    Switch m_switch;
    QRadioButton* m_file;
    QRadioButton* m_server;
    QLineEdit* m_address;
    QPushButton* m_test;
    QLabel* m_status;
    QPointer<QThread> m_testing;
};
