#include "MessageBoxes.h"

#include "Common.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>

namespace {
// Every box is logged, so a user's report and the end-to-end tests can tell what was shown.
Q_LOGGING_CATEGORY(lcBoxes, "pastewise.boxes")

BoxObserver& observer()
{
    static BoxObserver instance;
    return instance;
}

int runBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
    QMessageBox::StandardButtons buttons, QWidget* parent)
{
    qCInfo(lcBoxes).noquote() << "box:" << caption << "|" << text;
    if (observer()) {
        const BoxKind kind = icon == QMessageBox::Critical ? BoxKind::Error
            : icon == QMessageBox::Question                ? BoxKind::Confirm
                                                           : BoxKind::Notice;
        return observer()(kind, caption, text) ? QMessageBox::Ok : QMessageBox::Cancel;
    }
    // Without an owner the box would stand alone on the desktop; it belongs over the window
    // the user is working in.
    if (parent == nullptr)
        parent = QApplication::activeModalWidget() != nullptr ? QApplication::activeModalWidget()
                                                              : QApplication::activeWindow();
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    return box.exec();
}
} // namespace

void SetBoxObserver(BoxObserver newObserver)
{
    observer() = std::move(newObserver);
}

void ShowNotice(const QString& text, QWidget* parent)
{
    runBox(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), text, QMessageBox::Ok, parent);
}

void ShowErrorBox(const QString& message, QWidget* parent)
{
    runBox(QMessageBox::Critical, QString::fromLatin1(ApplicationTitle), ErrorBoxText(message),
        QMessageBox::Ok, parent);
}

bool Confirm(const QString& text, QWidget* parent)
{
    return runBox(QMessageBox::Question, QStringLiteral("Confirm"), text,
               QMessageBox::Ok | QMessageBox::Cancel, parent)
        == QMessageBox::Ok;
}
