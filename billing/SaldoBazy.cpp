#include "billing/SaldoBazy.h"

// The balance rules arrive with the billing core; until then there is nothing
// to recompute, and starting a thread that does nothing would only pretend.
void TSaldoBazy::Create(int) {}
