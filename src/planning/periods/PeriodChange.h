#pragma once

#include <QString>

class DataModule;

// The room window's period change: every placement of the paper gets the
// period; rooms stay as they are.
void movePaperToPeriod(DataModule& dm, const QString& paper, const QString& period);

// One student who sits two papers of the period, or an empty text.
QString studentInTwoPapers(DataModule& dm, const QString& period);
