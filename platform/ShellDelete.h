#pragma once
// The shell's silent delete: a file, a whole folder, or the files and folders
// matching a wildcard mask in the last part of the path. Nothing goes to a
// recycle bin and nothing is asked.
#include <QString>

// True when everything named was deleted; false when nothing matched or a
// part could not be removed.
bool ShellDeletePath(const QString& path);
