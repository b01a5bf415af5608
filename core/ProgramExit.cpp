#include "core/ProgramExit.h"

#include <cstdio>
#include <cstdlib>

std::atomic<bool> ProgramClosing{false};

namespace {
TProgramTerminator g_terminator;
}

void HaltProgram(int code)
{
    throw EProgramExit(code);
}

void SetProgramTerminator(TProgramTerminator t)
{
    g_terminator = std::move(t);
}

void TerminateProgram(int code)
{
    if (g_terminator) return g_terminator(code);
    std::fflush(nullptr);
    std::_Exit(code);
}
