#pragma once
// What the bench programs share.
#include "core/DedicatedSession.h"

class QTemporaryDir;

// The script runner reads the data source entry: writes one for this
// connection into dir and points ODBCINI at it.
bool PointDataSourceAt(const TConnectionParams& p, QTemporaryDir& dir);
