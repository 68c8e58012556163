#pragma once

#include "periods/PeriodReduction.h"
#include "periods/Spreading.h"

#include <QByteArray>
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
    QByteArray basis;      // the stamp of what a spread of it rests on
};

// The stamp of the tables a spread rests on: roster, placements, times,
// rooms and duties.
QByteArray spreadStamp(DataModule& dm);

// Reads t_kscs, t_cc, the roster rows of the placed papers and the rooms,
// with the stamp of what it read.
TermTimetable readTermTimetable(DataModule& dm);

// A period where a student sits two papers now, as "第 1 场的试卷 A1 和 A2有同一个学生"
// or, for a part split off a paper and the paper (one paper to the spread),
// as the adoption's own check finds it: "第 1 场中学号 S1 的学生有两份试卷";
// an empty text when there is none. The spread keeps every period free of
// clashes, so it must start from a placement without any.
QString clashNow(DataModule& dm, const TermTimetable& term);
