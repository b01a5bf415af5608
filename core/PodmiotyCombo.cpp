// The entity list of the main window's combo box (declared in Podmioty.h).
#include "core/DedicatedSession.h"
#include "core/Podmioty.h"

#include <QComboBox>
#include <QSignalBlocker>

void FillPodmiotyCombo(QComboBox* combo)
{
    if (!combo) return;
    const int selected = combo->currentIndex() < 0 ? 0 : combo->currentIndex();
    const QStringList names = GlobalSession()->GetQueryValuesAsList(
        QStringLiteral("select P_SKROT from Podmioty where P_CZYAKTYWNY=1 order by P_INDEX"));
    {
        const QSignalBlocker block(combo);
        combo->setUpdatesEnabled(false);
        combo->clear();
        combo->addItems(names);
        combo->setUpdatesEnabled(true);
    }
    if (selected < combo->count()) combo->setCurrentIndex(selected);
}
