#include "testutil.h"

namespace testutil {

namespace {

const ProgramDir *g_current = nullptr;

} // namespace

ProgramDir::ProgramDir()
    : m_previous(g_current)
{
    g_current = this;
}

ProgramDir::~ProgramDir()
{
    if (g_current == this)
        g_current = m_previous;
}

const ProgramDir *ProgramDir::current()
{
    return g_current;
}

} // namespace testutil
