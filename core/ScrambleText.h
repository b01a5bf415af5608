#pragma once
// Passwords kept in the settings (the KSeF key passwords). The settings store
// them through ScrambleText and read them back through UnscrambleText; until
// the scrambling itself is in place both hand the text over unchanged.
#include <QString>

QString ScrambleText(const QString& text);
QString UnscrambleText(const QString& text);
