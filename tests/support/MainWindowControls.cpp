#include "tests/support/MainWindowControls.h"

#include "app/EntryGrid.h"
#include "app/MainForm.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QToolBar>

namespace {

// A missing or renamed control ends the suite with its name rather than a null dereference.
template <typename T>
T* named(const TfrmMain& form, const char* name, Qt::FindChildOptions options = Qt::FindChildrenRecursively)
{
    T* child = form.findChild<T*>(QLatin1String(name), options);
    if (child == nullptr)
        qFatal("the main window has no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

} // namespace

QMenuBar* ActionMainMenuBar1(const TfrmMain& form)
{
    return named<QMenuBar>(form, "ActionMainMenuBar1");
}

QToolBar* ToolBar1(const TfrmMain& form)
{
    return named<QToolBar>(form, "ToolBar1");
}

QTabBar* TabCtrl(const TfrmMain& form)
{
    return named<QTabBar>(form, "TabCtrl");
}

QLabel* lblName(const TfrmMain& form)
{
    return named<QLabel>(form, "lblName");
}

QLabel* lblValue(const TfrmMain& form)
{
    return named<QLabel>(form, "lblValue");
}

QLineEdit* txtName(const TfrmMain& form)
{
    return named<QLineEdit>(form, "txtName");
}

TEntryGrid* grdName(const TfrmMain& form)
{
    return named<TEntryGrid>(form, "grdName");
}

QPlainTextEdit* memValue(const TfrmMain& form)
{
    return named<QPlainTextEdit>(form, "memValue");
}

QPushButton* btnPaste(const TfrmMain& form)
{
    return named<QPushButton>(form, "btnPaste");
}

QPushButton* btnCopy(const TfrmMain& form)
{
    return named<QPushButton>(form, "btnCopy");
}

QAction* command(const TfrmMain& form, const char* name)
{
    // Commands belong to the window itself; menus and buttons only show them.
    return named<QAction>(form, name, Qt::FindDirectChildrenOnly);
}
