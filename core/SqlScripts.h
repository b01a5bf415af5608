#pragma once
// Running SQL script files through the command-line client.
#include <QString>

// 0 after the script ran, 1 when the client could not be started, 9 when
// nothing was run. ToolExitCode receives the client's own exit status.
int ImportSqlFile(const QString& fileName, int* toolExitCode = nullptr);
