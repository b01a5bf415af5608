#include "platform/PlatformContext.h"

TPlatformContext& PlatformContext()
{
    static TPlatformContext context;
    return context;
}
