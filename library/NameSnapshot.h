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
    RowKey KeyAt(int row) const { return m_rows[static_cast<std::size_t>(row)].Key(); }

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
    // First row named exactly `name`, byte for byte, or -1.
    int FindExact(std::string_view name) const;
    // The same names in the same order.
    bool SameNames(const NameSnapshot& other) const;

    std::size_t MemoryBytes() const;
    // Bytes of the names held, for sizing a copy of the same kind.
    std::size_t NameBytes() const { return m_names.size() - m_unusedBytes; }

private:
    // 12 bytes a row: the key in two halves (a 64-bit member would pad the row to 16) and
    // where the name starts in m_names, as its length (7 bits a byte, lowest first) and then
    // its bytes. A million rows then cost 4 MB less than with a length field of their own.
    struct Row {
        quint32 keyLow;
        quint32 keyHigh;
        quint32 offset;
        RowKey Key() const { return static_cast<RowKey>((quint64(keyHigh) << 32) | keyLow); }
    };

    std::string_view View(const Row& row) const;
    // Bytes a name takes in m_names, its length included.
    static std::size_t StoredSize(std::size_t nameSize);
    Row Store(RowKey key, std::string_view name);
    int UpperBound(std::string_view name) const;
    int LowerBound(std::string_view name) const;
    void CompactIfWasteful();

    std::vector<Row> m_rows;
    std::string m_names;
    std::size_t m_unusedBytes = 0;
};
