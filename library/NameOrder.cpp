#include "library/NameOrder.h"

#include <algorithm>

namespace {

inline unsigned char Fold(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

int ComparePrefix(std::string_view a, std::string_view b, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char x = Fold(a[i]);
        const unsigned char y = Fold(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

} // namespace

int CompareNames(std::string_view a, std::string_view b)
{
    const int common = ComparePrefix(a, b, std::min(a.size(), b.size()));
    if (common != 0)
        return common;
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool NameStartsWith(std::string_view name, std::string_view prefix)
{
    return name.size() >= prefix.size() && ComparePrefix(name, prefix, prefix.size()) == 0;
}
