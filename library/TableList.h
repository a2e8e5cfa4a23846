#pragma once
// The names of the library's tables, one per tab and in tab order. Not sorted; a name is
// looked up as the engine compares table names (ASCII letters without regard to case).

#include <QString>
#include <QStringList>

class TTableList final {
public:
    int Count() const { return static_cast<int>(m_names.size()); }
    bool IsEmpty() const { return m_names.isEmpty(); }
    const QString& At(int index) const { return m_names.at(index); }
    const QStringList& Names() const { return m_names; }

    void Clear() { m_names.clear(); }
    void Append(const QString& name) { m_names.append(name); }
    void Assign(const QStringList& names) { m_names = names; }
    void RemoveAt(int index) { m_names.removeAt(index); }
    void Set(int index, const QString& name) { m_names[index] = name; }

    // Position of the name the engine takes `name` for, or -1.
    int IndexOf(const QString& name) const;
    bool Contains(const QString& name) const { return IndexOf(name) >= 0; }

private:
    QStringList m_names;
};
