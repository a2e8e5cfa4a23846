#pragma once
// The main window's controls and commands, found by the names they carry, as a test reaches
// them from outside the window.

class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QToolBar;
class TEntryGrid;
class TfrmMain;

QMenuBar* ActionMainMenuBar1(const TfrmMain& form);
QToolBar* ToolBar1(const TfrmMain& form);
QTabBar* TabCtrl(const TfrmMain& form);
QLabel* lblName(const TfrmMain& form);
QLabel* lblValue(const TfrmMain& form);
QLineEdit* txtName(const TfrmMain& form);
TEntryGrid* grdName(const TfrmMain& form);
QPlainTextEdit* memValue(const TfrmMain& form);
QPushButton* btnPaste(const TfrmMain& form);
QPushButton* btnCopy(const TfrmMain& form);
// A command by its name, e.g. "actAdd".
QAction* command(const TfrmMain& form, const char* name);
