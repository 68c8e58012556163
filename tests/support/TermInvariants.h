#pragma once
// What every step must leave of a term, worked out from the raw tables with
// SQL and time reading of its own, apart from the program's cores: a fault
// found here is a fault of a core, never a copy of it.
#include <QStringList>

class TestDatabase;

// Every broken rule, each text starting with the rule's name:
// "student"   no student sits two papers at overlapping times;
// "seat"      every roster row is seated at most once, in a room that exists;
// "capacity"  no room holds more than its seats at any moment, periods at
//             overlapping times summed (a student sits a paper once);
// "twice"     no invigilator in two rooms at overlapping times;
// "cannot"    no invigilator on a sitting their list rules out;
// "most"      nobody over their most duties once the automatic run gave them any;
// "periods"   t_cc numbers its periods 1..K, each once, and holds every period in use;
// "empty"     every duty is in a room holding candidates at that time.
QStringList termFaults(TestDatabase& db);
