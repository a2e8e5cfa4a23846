#include "library/TableList.h"

int TTableList::IndexOf(const QString& name) const
{
    // The engine folds only ASCII letters, so a file may hold tables whose names differ in
    // the case of other letters; the exact name is the one meant when it is there.
    const int exact = int(m_names.indexOf(name));
    if (exact >= 0)
        return exact;
    for (int i = 0; i < Count(); ++i) {
        if (QString::compare(m_names.at(i), name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
