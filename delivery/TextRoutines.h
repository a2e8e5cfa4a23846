#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

bool IsIdentChar(QChar c);

QString ReplaceAll(const QString& text, const QString& pattern, const QString& replacement);

// Like ReplaceAll, but a match of any one of the patterns is replaced; at one position the
// first pattern in the list that matches wins. Lets a variable written in several letter
// cases be substituted in a single scan, so a value is never examined by its own row.
QString ReplaceAllOf(const QString& text, const QStringList& patterns, const QString& replacement);

QString ConvertEscapes(const QString& text);
