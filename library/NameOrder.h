#pragma once
// The order of entry names. It must agree with the engine's NOCASE collation, because the
// snapshot is searched by bisection and the engine decides which names clash: ASCII letters
// compare without case, every other byte of the UTF-8 text as it is, and a name sorts
// before a longer one that begins with it.

#include <string_view>

int CompareNames(std::string_view a, std::string_view b);
bool NameStartsWith(std::string_view name, std::string_view prefix);

inline bool NameLess(std::string_view a, std::string_view b)
{
    return CompareNames(a, b) < 0;
}
