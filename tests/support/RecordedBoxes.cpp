#include "tests/support/RecordedBoxes.h"

RecordedBoxes::RecordedBoxes()
{
    SetBoxObserver([this](BoxKind kind, const QString& caption, const QString& text) {
        append({kind, caption, text});
        if (whileOpen)
            whileOpen();
        return answer;
    });
}

RecordedBoxes::~RecordedBoxes()
{
    SetBoxObserver({});
}

QStringList RecordedBoxes::texts() const
{
    QStringList result;
    for (const RecordedBox& box : *this)
        result << box.text;
    return result;
}

QList<BoxKind> RecordedBoxes::kinds() const
{
    QList<BoxKind> result;
    for (const RecordedBox& box : *this)
        result << box.kind;
    return result;
}
