#pragma once
// An amount that does not fit Amount4 (about 922 trillion zł): refused with a
// text for the operator instead of wrapping round to a negative amount.
#include <stdexcept>

class EAmountRange : public std::runtime_error
{
public:
    EAmountRange();
};
