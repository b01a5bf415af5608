#pragma once
// The FA (3) e-invoice files of a corrective invoice: a correction of lines
// and amounts, or a correction of the buyer's data only.
#include <QString>

// Both write ExportFolder + "KSeF_FVK_" + index + ".xml" (the later call
// overwrites the earlier) and return its path; "0" when there is no such
// correction. Both make the correction's company current and leave it so.

// Changed lines are written twice, before (StanPrzed) and after.
QString WriteKsefFvkXml(int fvkIndex);
// The corrected invoice's buyer goes into Podmiot2K, the new one into Podmiot2.
QString WriteKsefFvkBuyerXml(int fvkIndex);

inline void WriteKsefFvkXml(int fvkIndex, QString& fileName)
{
    fileName = QStringLiteral("0");
    fileName = WriteKsefFvkXml(fvkIndex);
}
inline void WriteKsefFvkBuyerXml(int fvkIndex, QString& fileName)
{
    fileName = QStringLiteral("0");
    fileName = WriteKsefFvkBuyerXml(fvkIndex);
}
