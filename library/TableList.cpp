#include "library/TableList.h"

int TTableList::IndexOf(const QString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        if (QString::compare(m_names.at(i), name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
