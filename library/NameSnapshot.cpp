#include "library/NameSnapshot.h"

#include "library/NameOrder.h"

#include <algorithm>
#include <stdexcept>

void NameSnapshot::Clear()
{
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_names.clear();
    m_names.shrink_to_fit();
    m_unusedBytes = 0;
}

void NameSnapshot::Reserve(std::size_t rows, std::size_t nameBytes)
{
    m_rows.reserve(rows);
    m_names.reserve(nameBytes);
}

std::size_t NameSnapshot::StoredSize(std::size_t nameSize)
{
    std::size_t size = 1;
    for (std::size_t rest = nameSize >> 7; rest != 0; rest >>= 7)
        ++size;
    return size + nameSize;
}

static_assert(sizeof(NameSnapshot::RowKey) == 8);

NameSnapshot::Row NameSnapshot::Store(RowKey key, std::string_view name)
{
    // Offsets are 32-bit to keep a row small; 4 GiB of names is far beyond any library.
    if (m_names.size() + StoredSize(name.size()) > 0xffffffffu)
        throw std::length_error("Too many entry names to hold in memory");
    const auto bits = static_cast<quint64>(key);
    Row row {
        static_cast<quint32>(bits), static_cast<quint32>(bits >> 32), static_cast<quint32>(m_names.size())};
    std::size_t size = name.size();
    do {
        const auto low = static_cast<unsigned char>(size & 0x7f);
        size >>= 7;
        m_names.push_back(static_cast<char>(size != 0 ? (low | 0x80) : low));
    } while (size != 0);
    m_names.append(name);
    return row;
}

std::string_view NameSnapshot::View(const Row& row) const
{
    const char* at = m_names.data() + row.offset;
    std::size_t size = 0;
    int shift = 0;
    unsigned char byte = 0;
    do {
        byte = static_cast<unsigned char>(*at++);
        size |= std::size_t(byte & 0x7f) << shift;
        shift += 7;
    } while ((byte & 0x80) != 0);
    return {at, size};
}

void NameSnapshot::Append(RowKey key, std::string_view name)
{
    m_rows.push_back(Store(key, name));
}

bool NameSnapshot::Sorted() const
{
    return std::is_sorted(m_rows.begin(), m_rows.end(),
        [this](const Row& a, const Row& b) { return NameLess(View(a), View(b)); });
}

void NameSnapshot::SortIfNeeded()
{
    // The engine already returns the rows in this order for text names; sort only when it
    // did not (numbers or blobs in a table made by another tool sort differently there).
    if (!Sorted())
        std::stable_sort(m_rows.begin(), m_rows.end(),
            [this](const Row& a, const Row& b) { return NameLess(View(a), View(b)); });
}

std::string_view NameSnapshot::NameAt(int row) const
{
    return View(m_rows[static_cast<std::size_t>(row)]);
}

int NameSnapshot::UpperBound(std::string_view name) const
{
    const auto it = std::upper_bound(m_rows.begin(), m_rows.end(), name,
        [this](std::string_view n, const Row& row) { return NameLess(n, View(row)); });
    return static_cast<int>(it - m_rows.begin());
}

int NameSnapshot::LowerBound(std::string_view name) const
{
    const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), name,
        [this](const Row& row, std::string_view n) { return NameLess(View(row), n); });
    return static_cast<int>(it - m_rows.begin());
}

int NameSnapshot::InsertSorted(RowKey key, std::string_view name)
{
    const int at = UpperBound(name);
    m_rows.insert(m_rows.begin() + at, Store(key, name));
    return at;
}

void NameSnapshot::RemoveAt(int row)
{
    m_unusedBytes += StoredSize(NameAt(row).size());
    m_rows.erase(m_rows.begin() + row);
    CompactIfWasteful();
}

int NameSnapshot::Rename(int row, std::string_view name)
{
    // `name` may point into m_names, so copy it before the buffer can grow.
    const std::string copy(name);
    const RowKey key = KeyAt(row);
    RemoveAt(row);
    return InsertSorted(key, copy);
}

int NameSnapshot::FindPrefix(std::string_view prefix) const
{
    // Names that begin with the prefix are never less than it and follow each other, so
    // the first candidate is the lower bound.
    const int at = LowerBound(prefix);
    if (at == Count())
        return -1;
    const std::string_view candidate = NameAt(at);
    // An empty prefix is an exact search for an empty name, not "any name".
    if (prefix.empty())
        return candidate.empty() ? at : -1;
    return NameStartsWith(candidate, prefix) ? at : -1;
}

int NameSnapshot::Find(std::string_view name, RowKey key) const
{
    for (int at = LowerBound(name); at < Count() && CompareNames(NameAt(at), name) == 0; ++at) {
        if (KeyAt(at) == key)
            return at;
    }
    return -1;
}

int NameSnapshot::FindExact(std::string_view name) const
{
    for (int at = LowerBound(name); at < Count() && CompareNames(NameAt(at), name) == 0; ++at) {
        if (NameAt(at) == name)
            return at;
    }
    return -1;
}

bool NameSnapshot::SameNames(const NameSnapshot& other) const
{
    if (Count() != other.Count())
        return false;
    for (int row = 0; row < Count(); ++row) {
        if (NameAt(row) != other.NameAt(row))
            return false;
    }
    return true;
}

void NameSnapshot::CompactIfWasteful()
{
    if (m_unusedBytes < (1u << 20) || m_unusedBytes < m_names.size() / 2)
        return;
    std::string names;
    names.reserve(m_names.size() - m_unusedBytes);
    for (Row& row : m_rows) {
        const std::string_view name = View(row);
        const std::size_t stored = StoredSize(name.size());
        const auto offset = static_cast<quint32>(names.size());
        names.append(name.data() - (stored - name.size()), stored);
        row.offset = offset;
    }
    m_names.swap(names);
    m_unusedBytes = 0;
}

std::size_t NameSnapshot::MemoryBytes() const
{
    return m_rows.capacity() * sizeof(Row) + m_names.capacity();
}
