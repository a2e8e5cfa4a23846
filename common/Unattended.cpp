#include "common/Unattended.h"

namespace {
// The GUI thread alone reads and writes it.
bool g_noOneCanBeAsked = false;
} // namespace

void SetNoOneCanBeAsked()
{
    g_noOneCanBeAsked = true;
}

bool NoOneCanBeAsked()
{
    return g_noOneCanBeAsked;
}
