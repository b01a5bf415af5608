#pragma once
// Puts a row into a table of the test database from column and value pairs
// (every value bound); the new row's auto-increment id.
#include "core/DedicatedSession.h"

#include <utility>
#include <vector>

using TRowValues = std::vector<std::pair<const char*, TArg>>;

int InsertRow(TDedicatedSession* session, const char* table, const TRowValues& values);
