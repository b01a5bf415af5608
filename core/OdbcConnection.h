#pragma once
// The connection a data source entry names.
#include "core/DedicatedSession.h"
#include "platform/OdbcDataSource.h"

// Connection values of an entry: SERVER, PORT, SOCKET, DATABASE, USER/UID, PASSWORD/PWD.
TConnectionParams ConnectionParamsFromEntry(const TOdbcEntry& entry);
