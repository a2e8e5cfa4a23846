#include "app/CommandTable.h"
#include "app/LayoutCalc.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QTest>

namespace {

struct TExpectedCommand {
    const char* name;
    const char* category;
    const char* caption;
    const char* hint;
    int shortCut;
    int image;
    bool autoCheck;
    bool checkable;
};

// The one table the program must match; written out independently of the code.
// clang-format off
const TExpectedCommand expectedCommands[] = {
    { "actNewTable",      "File", "New Table",          "",                   16462, 19, false, false },
    { "actDeleteTable",   "File", "Delete Table",       "",                   0,      1, false, false },
    { "actRenameTable",   "File", "Rename Table",       "",                   0,     -1, false, false },
    { "actExit",          "File", "Exit",               "Exit",               0,     11, false, false },
    { "actPaste",         "Edit", "Quick Paste",        "Quick Paste",        0,      0, false, false },
    { "actCopy",          "Edit", "Copy Only",          "Copy Only",          16451, 21, false, false },
    { "actAdd",           "Edit", "Add Entry",          "Add Entry",          0,      4, false, false },
    { "actDelete",        "Edit", "Delete Entry",       "Delete Entry",       0,      2, false, false },
    { "actEdit",          "Edit", "Change Entry Name",  "Change Entry Name",  16453, 17, false, false },
    { "actFirst",         "Edit", "First Entry",        "First Entry",        0,      3, false, false },
    { "actLast",          "Edit", "Last Entry",         "Last Entry",         0,      5, false, false },
    { "actNext",          "Edit", "Next Entry",         "Next Entry",         0,      6, false, false },
    { "actPrevious",      "Edit", "Previous Entry",     "Previous Entry",     0,      7, false, false },
    { "actCompact",       "View", "Compact Mode",       "Compact/Full",       0,     18, false, true  },
    { "actTopMost",       "View", "Always On Top",      "Always On Top",      0,     13, true,  true  },
    { "actPasteAutoHide", "View", "Auto Hide At Paste", "Auto Hide At Paste", 0,     14, true,  true  },
    { "actRestoreClipboard", "View", "Restore Clipboard After Paste", "Restore Clipboard After Paste", 0, -1, true, true },
    { "actTrayIcon",      "View", "Show Tray Icon",     "Show Tray Icon",     0,     15, true,  true  },
    { "actOptions",       "View", "Options...",         "Options",            0,     16, false, false },
    { "actHelp",          "Help", "Contents",           "Help",               0,     10, false, false },
    { "actAbout",         "Help", "About",              "About",              0,     12, false, false },
    { "actStartWithDesktop", "View", "Start With Desktop", "Start With Desktop", 0,  -1, true,  true  },
    { "actPasteKeys",     "View", "Paste Keys...",      "Paste Keys",         0,     -1, false, false },
    { "actLibrary",       "File", "Library...",         "Library",            0,     -1, false, false },
};
// clang-format on

QString text(const char* s)
{
    return QString::fromLatin1(s);
}

// Menu entries as "text=command", separators as "-".
QStringList flatten(const TMenuInfo& menu)
{
    QStringList out;
    for (const TMenuItemInfo& item : menu.items)
        out << (item.isSeparator() ? QStringLiteral("-") : text(item.text) + u'=' + text(item.command));
    return out;
}

} // namespace

class TestCommandTable final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commands_data();
    void commands();
    void commandsInOrderAndUnique();
    void findCommand();
    void menus();
    void menuItemsMatchTheirCommands();
    void toolbar();
};

void TestCommandTable::commands_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(expectedCommands)); ++i)
        QTest::newRow(expectedCommands[i].name) << i;
}

void TestCommandTable::commands()
{
    QFETCH(int, row);
    const TExpectedCommand& e = expectedCommands[row];
    const TCommandInfo* c = FindCommand(e.name);
    QVERIFY(c != nullptr);
    QCOMPARE(text(CategoryName(c->category)), text(e.category));
    QCOMPARE(text(c->caption), text(e.caption));
    QCOMPARE(text(c->hint), text(e.hint));
    QCOMPARE(int(c->shortCut), e.shortCut);
    QCOMPARE(c->imageIndex, e.image);
    QCOMPARE(c->autoCheck, e.autoCheck);
    QCOMPARE(c->checkable, e.checkable);
    QVERIFY(c->imageIndex >= -1 && c->imageIndex < ImageCount);
    QVERIFY(c->imageIndex != TabImageIndex);
}

void TestCommandTable::commandsInOrderAndUnique()
{
    const auto all = Commands();
    QCOMPARE(int(all.size()), CommandCount);
    QCOMPARE(int(all.size()), int(std::size(expectedCommands)));
    QSet<int> images;
    for (std::size_t i = 0; i < all.size(); ++i) {
        QCOMPARE(text(all[i].name), text(expectedCommands[i].name));
        if (all[i].imageIndex >= 0) {
            QVERIFY2(!images.contains(all[i].imageIndex), all[i].name);
            images.insert(all[i].imageIndex);
        }
    }
    // Images 8, 9, 22 and the tab icon 20 belong to no command.
    for (int unused : {8, 9, 20, 22})
        QVERIFY(!images.contains(unused));
    QCOMPARE(images.size(), 19);
}

void TestCommandTable::findCommand()
{
    QVERIFY(FindCommand("actnewtable") == nullptr); // names are case-sensitive identifiers
    QVERIFY(FindCommand("") == nullptr);
    QVERIFY(FindCommand("actNew") == nullptr);
    QCOMPARE(FindCommand("actLibrary"), &Commands().back());
}

void TestCommandTable::menus()
{
    const auto menus = Menus();
    QCOMPARE(int(menus.size()), 4);
    QCOMPARE(text(menus[0].text), QStringLiteral("&File"));
    QCOMPARE(text(menus[1].text), QStringLiteral("&Edit"));
    QCOMPARE(text(menus[2].text), QStringLiteral("&View"));
    QCOMPARE(text(menus[3].text), QStringLiteral("&Help"));

    QCOMPARE(flatten(menus[0]),
        QStringList({"&New Table=actNewTable", "&Delete Table=actDeleteTable", "&Rename Table=actRenameTable",
            "-", "&Library...=actLibrary", "-", "&Exit=actExit"}));
    QCOMPARE(flatten(menus[1]),
        QStringList({"Quick Paste=actPaste", "&Copy Only=actCopy", "-", "A&dd Entry=actAdd",
            "D&elete Entry=actDelete", "C&hange Entry Name=actEdit", "-", "&First Entry=actFirst",
            "&Last Entry=actLast", "&Next Entry=actNext", "&Previous Entry=actPrevious"}));
    QCOMPARE(flatten(menus[2]),
        QStringList({"&Compact Mode=actCompact", "A&lways On Top=actTopMost",
            "&Auto Hide At Paste=actPasteAutoHide", "&Restore Clipboard After Paste=actRestoreClipboard",
            "&Show Tray Icon=actTrayIcon", "Start &With Desktop=actStartWithDesktop", "-",
            "&Options...=actOptions", "Paste &Keys...=actPasteKeys"}));
    QCOMPARE(flatten(menus[3]), QStringList({"Contents=actHelp", "&About=actAbout"}));
}

// Each command is in exactly one menu, the menu of its category, and the item's text
// is the caption with at most one access key that is unique within its menu.
void TestCommandTable::menuItemsMatchTheirCommands()
{
    QSet<QString> seen;
    for (const TMenuInfo& menu : Menus()) {
        QSet<QChar> keys;
        for (const TMenuItemInfo& item : menu.items) {
            if (item.isSeparator())
                continue;
            const TCommandInfo* c = FindCommand(item.command);
            QVERIFY2(c != nullptr, item.command);
            QCOMPARE(c->category, menu.category);
            QVERIFY2(!seen.contains(text(item.command)), item.command);
            seen.insert(text(item.command));

            const QString itemText = text(item.text);
            QVERIFY(itemText.count(u'&') <= 1);
            QCOMPARE(QString(itemText).remove(u'&'), text(c->caption));
            const qsizetype amp = itemText.indexOf(u'&');
            if (amp >= 0) {
                const QChar key = itemText.at(amp + 1).toLower();
                QVERIFY2(!keys.contains(key), item.text);
                keys.insert(key);
            }
        }
    }
    QCOMPARE(seen.size(), CommandCount);
}

void TestCommandTable::toolbar()
{
    QStringList order;
    QStringList tips;
    int width = 0;
    for (const TToolButtonInfo& button : ToolButtons()) {
        if (button.isSeparator()) {
            order << QStringLiteral("|");
            width += Design::ToolSeparatorWidth;
            continue;
        }
        QVERIFY2(FindCommand(button.command) != nullptr, button.command);
        order << text(button.command);
        tips << text(ToolTipOf(button));
        width += Design::ToolButtonWidth;
    }
    QCOMPARE(order,
        QStringList({"actPaste", "actCopy", "actCompact", "|", "actAdd", "actDelete", "actEdit", "|",
            "actFirst", "actPrevious", "actNext", "actLast", "|", "actPasteAutoHide", "actTopMost",
            "actTrayIcon", "actOptions", "actExit", "|", "actHelp", "actAbout"}));
    QCOMPARE(tips,
        QStringList({"Quick Paste", "Copy Only", "Compact Mode", "Add Entry", "Delete Entry",
            "Change Entry Name", "First Entry", "Previous Entry", "Next Entry", "Last Entry",
            "Auto Hide At Paste", "Always On Top", "Show Tray Icon", "Options", "Exit", "Help", "About"}));
    QCOMPARE(width, 423);
}

QTEST_APPLESS_MAIN(TestCommandTable)
#include "tst_commandtable.moc"
