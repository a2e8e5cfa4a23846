#include "delivery/VarList.h"

#include "delivery/TextRoutines.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

namespace {

const QChar Percent = QLatin1Char('%');

class NameCollector {
public:
    void add(const QString& name)
    {
        const QString key = name.toLower();
        const auto found = m_index.constFind(key);
        if (found == m_index.constEnd()) {
            m_index.insert(key, m_rows.size());
            m_rows.append(VarRow {name, QStringList {name}, QString()});
            return;
        }
        QStringList& forms = m_rows[*found].forms;
        if (!forms.contains(name))
            forms.append(name);
    }

    VarList take() { return std::move(m_rows); }

private:
    QHash<QString, qsizetype> m_index;
    VarList m_rows;
};

void ScanLine(QStringView line, NameCollector& names)
{
    const qsizetype length = line.size();
    qsizetype pos = 0;
    // A '%' in the last two places of a line has no room for a name and a closing '%'.
    while (pos < length - 2) {
        const qsizetype open = line.indexOf(Percent, pos);
        if (open < 0 || open >= length - 2)
            return;
        qsizetype end = open + 1;
        while (end < length && IsIdentChar(line.at(end)))
            ++end;
        if (end >= length)
            return;
        if (line.at(end) == Percent) {
            if (end > open + 1)
                names.add(line.mid(open + 1, end - open - 1).toString());
            // The closing '%' is used up: it never opens the next placeholder.
            pos = end + 1;
        } else {
            pos = end;
        }
    }
}

} // namespace

QStringList SplitLines(const QString& text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}

VarList ScanVarList(const QStringList& lines, const QLocale& locale)
{
    NameCollector names;
    for (const QString& line : lines)
        ScanLine(line, names);
    VarList rows = names.take();

    // The rows were once held as "name=value" pairs and sorted in that form, which is why
    // "a" comes before "a1" and "a_" in the user's collation; the "=" keeps that order.
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(rows.begin(), rows.end(), [&collator](const VarRow& a, const VarRow& b) {
        return collator.compare(a.name + QLatin1Char('='), b.name + QLatin1Char('=')) < 0;
    });
    return rows;
}

VarList ScanVarList(const QString& text, const QLocale& locale)
{
    return ScanVarList(SplitLines(text), locale);
}

QString SubstituteVars(const QString& text, const VarList& rows)
{
    QString result = text;
    for (const VarRow& row : rows) {
        QStringList placeholders;
        for (const QString& form : row.forms)
            placeholders.append(Percent + form + Percent);
        if (placeholders.isEmpty() && !row.name.isEmpty())
            placeholders.append(Percent + row.name + Percent);
        result = ReplaceAllOf(result, placeholders, row.value);
    }
    return result;
}
