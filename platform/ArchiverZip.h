#pragma once
// The archive mode of the helper program the original shipped ("ZIP Source
// Target"): packs one file into Target folder + the file's name + ".zip".
#include <QString>

// True when the archive was written. A missing source writes nothing.
bool ZipFileIntoFolder(const QString& source, const QString& targetFolder);
