#include "tests/fuzz/FuzzInput.h"

#include "delivery/TextRoutines.h"
#include "delivery/VarList.h"

#include <QCollator>

namespace {

const QLocale English(QLocale::English, QLocale::UnitedStates);

void CheckRows(const QString& text, const VarList& rows)
{
    if (!text.contains(QLatin1Char('%')))
        FUZZ_CHECK(rows.isEmpty());

    QCollator collator(English);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const VarRow& row = rows[i];
        FUZZ_CHECK(!row.forms.isEmpty() && row.forms.first() == row.name);
        FUZZ_CHECK(row.value.isEmpty());
        for (const QString& form : row.forms) {
            FUZZ_CHECK(!form.isEmpty());
            for (QChar c : form)
                FUZZ_CHECK(IsIdentChar(c));
            FUZZ_CHECK(form.compare(row.name, Qt::CaseInsensitive) == 0);
            FUZZ_CHECK(row.forms.count(form) == 1);
            FUZZ_CHECK(text.contains(QLatin1Char('%') + form + QLatin1Char('%')));
        }
        if (i > 0) {
            FUZZ_CHECK(rows[i - 1].name.compare(row.name, Qt::CaseInsensitive) != 0);
            FUZZ_CHECK(
                collator.compare(rows[i - 1].name + QLatin1Char('='), row.name + QLatin1Char('=')) <= 0);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const bool asUtf16 = data.ConsumeBool();
    const QString value = TakeString(data, asUtf16, 12);
    const QString text = TakeRest(data, asUtf16);

    VarList rows = ScanVarList(text, English);
    CheckRows(text, rows);
    // Line breaks end a name like any other non-name character, so the per-line cut-offs
    // of the scan must not change what it finds.
    QString joined = text;
    joined.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const VarList joinedRows = ScanVarList(joined, English);
    FUZZ_CHECK(joinedRows.size() == rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        FUZZ_CHECK(joinedRows[i].forms == rows[i].forms);

    // Giving every row its own placeholder back can change only the letter case of the
    // other spellings of that name, and nothing at all when each name has one spelling.
    bool singleForms = true;
    for (VarRow& row : rows) {
        row.value = QLatin1Char('%') + row.name + QLatin1Char('%');
        singleForms = singleForms && row.forms.size() == 1;
    }
    const QString same = SubstituteVars(text, rows);
    FUZZ_CHECK(same.compare(text, Qt::CaseInsensitive) == 0);
    if (singleForms)
        FUZZ_CHECK(same == text);

    for (VarRow& row : rows)
        row.value = value;
    SubstituteVars(text, rows);
    return 0;
}
