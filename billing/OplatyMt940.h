#pragma once
// The listed payments as an MT940-style statement file for accounting
// programs: "Oplaty_mt940.txt" in the export folder, code page 1250, lines
// ended by CR LF.
#include "core/Amount4.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class TQuery;

// "000000000150,00": twelve integer digits, a decimal comma; "-" in front of a negative amount.
QString Mt940Amount(Amount4 amount);
// The file's lines for the rows of an open dataset of vOplatyLista, in its order.
QStringList Mt940Lines(TQuery& payments, const QDateTime& now);
// Writes the lines to folder + "Oplaty_mt940.txt" (replacing it); returns the path.
QString WriteMt940File(const QStringList& lines, const QString& folder);
