#pragma once
// True when each of the tables simc, terc, pa, ulic and wmrodz exists.
bool TerytTablesPresent();
