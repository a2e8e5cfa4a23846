#include "app/MainForm.h"

#include "app/EntryGrid.h"
#include "app/EntryListModel.h"
#include "common/Errors.h"
#include "common/Handled.h"
#include "common/MessageBoxes.h"
#include "library/LibraryConnection.h"
#include "library/StoredText.h"
#include "library/TableDataset.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextDocument>
#include <QTimer>

namespace {
// Routes the search box's keys and focus to the window's handlers.
class TSearchBoxFilter final : public QObject {
public:
    explicit TSearchBoxFilter(TfrmMain* form)
        : QObject(form)
        , m_form(form)
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            RunHandled([&] { m_form->txtNameKeyDown(static_cast<QKeyEvent*>(event)); });
        else if (event->type() == QEvent::FocusIn)
            RunHandled([this] { m_form->txtNameEnter(); });
        return QObject::eventFilter(watched, event);
    }

private:
    TfrmMain* m_form;
};

// The editor's text with its paragraph and line separators as line feeds. Unlike
// toPlainText() it leaves non-breaking spaces as they are.
QString shownText(const QPlainTextEdit& memo)
{
    QString text = memo.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}
} // namespace

void TfrmMain::BindEntryControls()
{
    m_entryModel = new TEntryListModel(*tbl, this);
    grdName->setModel(m_entryModel);
    grdName->SetDataset(tbl);
    grdName->setColumnWidth(0, 400);
    grdName->OnKeyDown = [this](QKeyEvent* event) {
        bool used = false;
        // A key whose handler failed is used up: nothing else acts on it.
        return !RunHandled([&] { used = grdNameKeyDown(event); }) || used;
    };
    grdName->OnDoubleClick = [this] { RunHandled([this] { grdNameDblClick(); }); };

    memValue->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memValue->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memValue->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves the focus on instead of being typed.
    memValue->setTabChangesFocus(true);

    const auto followDataset = [this] {
        grdName->FollowDataset();
        // Text typed into the memo of an empty table starts a new entry; the memo already
        // shows what it holds.
        if (!m_storingMemo)
            ShowCurrentValue();
    };
    connect(tbl, &TTableDataset::currentRowChanged, this, followDataset);
    connect(tbl, &TTableDataset::reset, this, followDataset);
    // The rest of a large table's names replace the first ones in a reset, which would close
    // a cell editor without its text.
    connect(tbl, &TTableDataset::aboutToCompleteNames, grdName, &TEntryGrid::CommitEdit);
    connect(tbl, &TTableDataset::aboutToRefresh, grdName, &TEntryGrid::CommitEdit);
    connect(tbl, &TTableDataset::namesFailed, this,
        [](const QString& message) { ReportException(std::make_exception_ptr(DatabaseError(message))); });
    // The memo's own edits come back as field changes too; it already shows them.
    connect(tbl, &TTableDataset::fieldsChanged, this, [this] {
        if (!m_storingMemo)
            ShowCurrentValue();
    });
    connect(
        memValue, &QPlainTextEdit::textChanged, this, [this] { RunHandled([this] { memValueChange(); }); });
    connect(txtName, &QLineEdit::textChanged, this,
        [this](const QString& text) { RunHandled([&] { txtNameChange(text); }); });
    txtName->installEventFilter(new TSearchBoxFilter(this));
    ShowCurrentValue();
}

void TfrmMain::ShowCurrentValue()
{
    const QScopedValueRollback guard(m_loadingValue, true);
    const QString value = tbl->Active() ? tbl->Value() : QString();
    if (MemoText() != value) {
        memValue->setPlainText(value);
        m_memoLoaded = value;
        m_memoLoadedShown = shownText(*memValue);
    }
    // Text typed before the entry's own text is read would replace text nobody has seen.
    const bool pending = tbl->Active() && tbl->ValuePending();
    QString placeholder;
    if (pending && ADOCon->Lost())
        placeholder = QStringLiteral("This entry's text shows as soon as the library server is back.");
    else if (pending)
        placeholder = QStringLiteral(
            "This entry's text shows as soon as another program stops using the library file.");
    memValue->setPlaceholderText(placeholder);
    // With no table there is nowhere for typed text to go; in an empty table it starts an entry.
    memValue->setReadOnly(!tbl->Active() || m_libraryReadOnly || pending);
}

QString TfrmMain::MemoText() const
{
    // The editor keeps line breaks as paragraphs and gives CR LF and lone CR back as LF; the
    // entry keeps its own line breaks, so an edit changes only what the user typed.
    return ApplyEditKeepingLineBreaks(m_memoLoaded, m_memoLoadedShown, shownText(*memValue));
}

void TfrmMain::memValueChange()
{
    // Every edit goes to the open entry at once, so a move, a table switch or the exit
    // stores exactly what the memo shows.
    if (m_loadingValue || !tbl->Active() || m_libraryReadOnly)
        return;
    const QScopedValueRollback storing(m_storingMemo, true);
    tbl->SetValue(MemoText());
}

void TfrmMain::txtNameChange(const QString& text)
{
    if (!tbl->Active())
        return;
    // Each change searches afresh from the start of the table; no match leaves the
    // current entry where it is.
    tbl->Locate(text);
}

bool TfrmMain::txtNameKeyDown(QKeyEvent* event)
{
    if (!tbl->Active())
        return false;
    // The key is not consumed: the search text stays as it is.
    if (event->key() == Qt::Key_Up)
        tbl->Prior();
    else if (event->key() == Qt::Key_Down)
        tbl->Next();
    return false;
}

void TfrmMain::txtNameEnter()
{
    // After the focus change, so a mouse click that placed the caret does not undo it.
    QTimer::singleShot(0, txtName, [this] { txtName->selectAll(); });
}

bool TfrmMain::grdNameKeyDown(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !grdName->IsEditingCell()) {
        Paste();
        return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        memValue->setFocus(Qt::TabFocusReason);
        return true;
    }
    return false;
}

void TfrmMain::grdNameDblClick()
{
    Paste();
}

void TfrmMain::actAddExecute()
{
    if (!tbl->Active())
        return;
    const QString name = txtName->text();
    if (name.isEmpty())
        tbl->Insert();
    else
        tbl->InsertAndPost(name, QString());
}

void TfrmMain::actDeleteExecute()
{
    if (!tbl->Active())
        return;
    ConfirmAndDeleteCurrent(*tbl, QStringLiteral("Are you sure to delete the current record?"), this);
}

void TfrmMain::actEditExecute()
{
    grdName->EditCurrentName();
}

void TfrmMain::actFirstExecute()
{
    if (!tbl->Active())
        return;
    tbl->First();
}

void TfrmMain::actPreviousExecute()
{
    if (!tbl->Active())
        return;
    tbl->Prior();
}

void TfrmMain::actNextExecute()
{
    if (!tbl->Active())
        return;
    tbl->Next();
}

void TfrmMain::actLastExecute()
{
    if (!tbl->Active())
        return;
    tbl->Last();
}
