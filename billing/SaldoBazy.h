#pragma once
// The balance recomputation on a connection of its own ("saldotmp").
class TSaldoBazy
{
public:
    // Starts the recomputation for one subscriber (0 = all) and returns at once.
    static void Create(int userIndex);
};
