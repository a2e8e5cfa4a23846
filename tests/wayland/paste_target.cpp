// A Wayland-native program to paste into: one text box whose whole text is written to the
// file named on the command line after every change, so a test can read what arrived.

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The compositor's app_id, by which the test finds the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("pw_paste_target"));
    if (argc < 2)
        return 2;
    const QString output = QFile::decodeName(argv[1]);
    QPlainTextEdit edit;
    edit.setWindowTitle(QStringLiteral("Paste Target"));
    QObject::connect(&edit, &QPlainTextEdit::textChanged, &edit, [&] {
        QSaveFile file(output);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(edit.toPlainText().toUtf8());
            file.commit();
        }
    });
    edit.resize(400, 300);
    edit.show();
    return QApplication::exec();
}
