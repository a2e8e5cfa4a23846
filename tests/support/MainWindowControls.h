#pragma once
// The main window's controls and commands, found by the object names they carry, as a test
// reaches them from outside the window: txtName(form)->text(), command(form, "actAdd").

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

// A missing or renamed control ends the suite with its name rather than a null dereference.
template <typename T>
T* NamedChild(
    const TfrmMain& form, const char* name, Qt::FindChildOptions options = Qt::FindChildrenRecursively)
{
    T* child = form.findChild<T*>(QLatin1String(name), options);
    if (child == nullptr)
        qFatal("the main window has no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

// Commands belong to the window itself; menus and buttons only show them.
inline QAction* command(const TfrmMain& form, const char* name)
{
    return NamedChild<QAction>(form, name, Qt::FindDirectChildrenOnly);
}

// The controls, each by the name the window gives it.
inline constexpr auto ActionMainMenuBar1
    = [](const TfrmMain& form) { return NamedChild<QMenuBar>(form, "ActionMainMenuBar1"); };
inline constexpr auto ToolBar1 = [](const TfrmMain& form) { return NamedChild<QToolBar>(form, "ToolBar1"); };
inline constexpr auto TabCtrl = [](const TfrmMain& form) { return NamedChild<QTabBar>(form, "TabCtrl"); };
inline constexpr auto lblName = [](const TfrmMain& form) { return NamedChild<QLabel>(form, "lblName"); };
inline constexpr auto lblValue = [](const TfrmMain& form) { return NamedChild<QLabel>(form, "lblValue"); };
inline constexpr auto txtName = [](const TfrmMain& form) { return NamedChild<QLineEdit>(form, "txtName"); };
inline constexpr auto grdName = [](const TfrmMain& form) { return NamedChild<TEntryGrid>(form, "grdName"); };
inline constexpr auto memValue
    = [](const TfrmMain& form) { return NamedChild<QPlainTextEdit>(form, "memValue"); };
inline constexpr auto btnPaste
    = [](const TfrmMain& form) { return NamedChild<QPushButton>(form, "btnPaste"); };
inline constexpr auto btnCopy = [](const TfrmMain& form) { return NamedChild<QPushButton>(form, "btnCopy"); };
