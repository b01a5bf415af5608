#pragma once
// The row actions the list windows share, with their questions and messages:
// edit through the document's editor, delete, settle through the settle
// dialog. The rules are in ListyAkcje; these add the operator's side.
#include <QString>

// Edit of an invoice ('F'), correction ('K') or payment demand ('P'),
// refused when sent to KSeF or (invoices) corrected. True when saved.
bool EditListedDocumentWindow(char kind, int key, int user, const QString& caption);
// Delete after the question; refused as edit is. True when something changed.
bool DeleteListedDocumentWindow(char kind, int key, int user, const QString& question,
                                const QString& logText);
// Settle with an amount through the settle dialog.
void SettleListedDocumentWindow(char kind, int key, const QString& logText, const QString& failLogText);
