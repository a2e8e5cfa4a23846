#include "common/MessageBoxes.h"

#include "common/Common.h"
#include "common/Unattended.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>

namespace {
// Every box is logged, so a user's report and the end-to-end tests can tell what was shown.
Q_LOGGING_CATEGORY(lcBoxes, "pastewise.boxes")

BoxObserver& observer()
{
    static BoxObserver instance;
    return instance;
}

ChoiceObserver& choiceObserver()
{
    static ChoiceObserver instance;
    return instance;
}

int runBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
    QMessageBox::StandardButtons buttons, QWidget* parent)
{
    if (NoOneCanBeAsked()) {
        // A box now would hold up the end of the program until it is killed.
        qCInfo(lcBoxes).noquote() << "not shown, no one can answer it:" << caption << "|" << text;
        return QMessageBox::Cancel;
    }
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

void SetChoiceObserver(ChoiceObserver newObserver)
{
    choiceObserver() = std::move(newObserver);
}

int AskChoice(const QString& text, const QStringList& buttons, int cancelIndex, QWidget* parent)
{
    const QString caption = QString::fromLatin1(ApplicationTitle);
    qCInfo(lcBoxes).noquote() << "box:" << caption << "|" << text;
    if (choiceObserver())
        return choiceObserver()(text, buttons);
    if (observer())
        return observer()(BoxKind::Choice, caption, text) ? 0 : cancelIndex;
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    QList<QPushButton*> added;
    for (const QString& label : buttons)
        added << box.addButton(label, QMessageBox::ActionRole);
    if (!added.isEmpty())
        box.setDefaultButton(added.first());
    if (cancelIndex >= 0 && cancelIndex < added.size())
        box.setEscapeButton(added.at(cancelIndex));
    box.exec();
    const int chosen = static_cast<int>(added.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
    return chosen >= 0 ? chosen : cancelIndex;
}
