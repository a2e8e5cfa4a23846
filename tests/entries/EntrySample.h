#pragma once
// A table of five entries for the editing suites, opened with "band" current, and a second
// table to switch to.

#include "tests/support/MainWindowFixture.h"

namespace EntrySample {

inline const QString kTable = QStringLiteral("Mail");
inline const QString kOther = QStringLiteral("Code");
inline const QStringList kNames = {QStringLiteral("apple"), QStringLiteral("banana"), QStringLiteral("band"),
    QStringLiteral("Bandana"), QStringLiteral("cherry")};
inline constexpr int kBand = 2;

inline QString textOf(const QString& name)
{
    return QStringLiteral("text of ") + name;
}

inline TfrmMain& startOnBand(MainWindowFixture& fx)
{
    EntryRows rows;
    for (const QString& name : kNames)
        rows.append({name, textOf(name)});
    fx.addTable(kTable, rows);
    fx.addTable(kOther, {{QStringLiteral("loop"), QStringLiteral("for (;;) {}")}});
    TfrmMain& form = fx.startForTyping();
    fx.type(QStringLiteral("band"));
    // Emptying the search box moves nowhere, so band stays current.
    txtName(form)->selectAll();
    fx.press(Qt::Key_Backspace);
    if (form.tbl->Name() != QStringLiteral("band"))
        qWarning("the sample did not start on band");
    return form;
}

} // namespace EntrySample
