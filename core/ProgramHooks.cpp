#include "core/ProgramHooks.h"

TProgramHooks& ProgramHooks()
{
    static TProgramHooks hooks;
    return hooks;
}
