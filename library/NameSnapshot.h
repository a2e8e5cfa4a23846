#pragma once
// The names of an open table in name order, kept compactly: one byte buffer holds every
// name as UTF-8 and each row is a key plus a slice of that buffer, so a table of a million
// entries costs little more than its names. Values are never held here.

#include <QtGlobal>

#include <string>
#include <string_view>
#include <vector>

class NameSnapshot final {
public:
    using RowKey = qint64;

    void Clear();
    void Reserve(std::size_t rows, std::size_t nameBytes);
    // Loading appends in any order; SortIfNeeded then puts the rows in name order.
    void Append(RowKey key, std::string_view name);
    void SortIfNeeded();
    bool Sorted() const;

    int Count() const { return static_cast<int>(m_rows.size()); }
    std::string_view NameAt(int row) const;
    RowKey KeyAt(int row) const { return m_rows[static_cast<std::size_t>(row)].key; }

    // Places a new row after any rows of an equal name and returns its index.
    int InsertSorted(RowKey key, std::string_view name);
    void RemoveAt(int row);
    // Index a new row of this name would get (after rows of an equal name).
    int InsertPosition(std::string_view name) const { return UpperBound(name); }
    // Gives a row a new name and moves it to its place; returns the new index.
    int Rename(int row, std::string_view name);

    // First row whose name begins with the prefix (the NameOrder rule), or -1.
    int FindPrefix(std::string_view prefix) const;
    // Row holding this key among the rows named like `name`, or -1.
    int Find(std::string_view name, RowKey key) const;

    std::size_t MemoryBytes() const;

private:
    struct Row {
        RowKey key;
        quint32 offset;
        quint32 size;
    };

    std::string_view View(const Row& row) const { return {m_names.data() + row.offset, row.size}; }
    Row Store(RowKey key, std::string_view name);
    int UpperBound(std::string_view name) const;
    int LowerBound(std::string_view name) const;
    void CompactIfWasteful();

    std::vector<Row> m_rows;
    std::string m_names;
    std::size_t m_unusedBytes = 0;
};
