#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

struct VarRow {
    QString name;
    // Every spelling met in the text, name first; they differ only in letter case.
    QStringList forms;
    QString value;
};

using VarList = QList<VarRow>;

QStringList SplitLines(const QString& text);

VarList ScanVarList(const QStringList& lines, const QLocale& locale = QLocale());
VarList ScanVarList(const QString& text, const QLocale& locale = QLocale());

QString SubstituteVars(const QString& text, const VarList& rows);
