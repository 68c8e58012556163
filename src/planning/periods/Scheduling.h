#pragma once

#include <QString>
#include <functional>

class DataModule;

// Called once with placed 0 before the first paper, then after each paper.
using SchedulingProgress = std::function<void(int placed, int total)>;

// What a scheduling run did. When the roster lists a student twice under one
// paper no period can take that paper: the run is refused and `duplicate`
// names the paper and the student.
struct SchedulingRun {
    struct Duplicate {
        QString paper;
        QString student;
        int times = 0;
    };

    int papers = 0;        // rows of the paper list
    int periods = 0;       // distinct periods in use afterwards
    long conflictTests = 0;
    bool refused = false;
    Duplicate duplicate;
};

// Places every paper of t_hbkrs, largest first, into the lowest period where
// none of its students already sits a paper, and rebuilds t_cc with one row
// per period in use. Expects t_kscs empty, as the window only offers it then.
// The run is one transaction: a refusal or an error leaves t_kscs and t_cc as
// they were.
SchedulingRun schedulePapers(DataModule& dm, const SchedulingProgress& progress);

// The refusal in the user's words.
QString refusalText(const SchedulingRun::Duplicate& duplicate);
