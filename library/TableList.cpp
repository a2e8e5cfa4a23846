#include "library/TableList.h"

#include "library/SqlSupport.h"

int TTableList::IndexOf(const QString& name) const
{
    // The engine's own comparison: a name it would take for another table must be found,
    // and one it would refuse (a difference in the case of a non-ASCII letter) must not.
    for (int i = 0; i < Count(); ++i) {
        if (SameIdentifier(m_names.at(i), name))
            return i;
    }
    return -1;
}
