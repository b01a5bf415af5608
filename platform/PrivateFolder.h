#pragma once
// Folders of the program that hold subscribers' data, keys and exports:
// made readable by their owner only.
#include <QString>

// Makes path (and missing parents); a folder it makes gets mode 0700. An
// existing folder is left as it is: the operator may have chosen a shared one.
// True when the folder exists afterwards.
bool MakePrivateFolder(const QString& path);
