#pragma once

#include "periods/PeriodReduction.h"
#include "periods/Spreading.h"

#include <QStringList>

class DataModule;

// The term's timetable as the spread and the per-student figures see it.
// Papers are the vertices of the placed papers: a paper of several courses
// is one paper, a paper split off another stays with it while it is in that
// paper's period, and a student listed on two courses of one paper sits it
// once. Students are told apart by 学号, trimmed.
struct TermTimetable {
    PlacedPapers placed;   // vertices, their periods now, the conflict graph
    QStringList times;     // per period index, its exam time in t_cc (empty when none)
    Enrolments enrolments; // per student the vertices of `placed` they sit
    PeriodLayout layout;   // per period index, where its time puts it
    int seats = 0;         // the seats of all usable rooms; 0 without rooms
};

// Reads t_kscs, t_cc, the roster rows of the placed papers and the rooms.
TermTimetable readTermTimetable(DataModule& dm);

// Two papers of one period that share a student now, as "第 1 场的试卷 A1 和 A2",
// or an empty text. The spread keeps every period free of clashes, so it
// must start from a placement without any.
QString clashNow(const TermTimetable& term);
