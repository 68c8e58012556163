#pragma once

#include <QString>

class DataModule;

// The room window's period change: every placement of the paper gets the
// period; rooms stay as they are.
void movePaperToPeriod(DataModule& dm, const QString& paper, const QString& period);

// What the room window's period change did.
struct PeriodChange {
    QString refusal;        // the clerk's message when nothing moved; empty when it moved
    bool newPeriod = false; // the period had no row in t_cc and got one without a time
    QString roomCleared;    // the room it left, too small at the new time; empty when it kept it
};

// Moves the paper (a part split off another moves on its own) to the
// period unless one of its students already sits a paper there; a period
// new to t_cc gets its row, so that the printing finds it once it has a
// time. The paper keeps its room while the room seats it at the new time,
// otherwise it has none; duties the move breaks go. One transaction.
PeriodChange changePaperPeriod(DataModule& dm, const QString& paper, const QString& period);

// One student who sits two papers of the period, or an empty text.
QString studentInTwoPapers(DataModule& dm, const QString& period);
