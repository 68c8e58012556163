#pragma once

#include "DataModule.h"
#include "periods/Scheduling.h"
#include "TestDatabase.h"
#include "TorontoRoster.h"

// A Toronto set as a roster in a fresh database, placed by first fit as
// "开始排考" leaves it. `present` is false when the data is not there.
struct ScheduledToronto {
    explicit ScheduledToronto(const QString& set)
    {
        const TorontoRoster roster = TorontoRoster::load(QStringLiteral(PAIKAO_TORONTO), set);
        present = !roster.rows.isEmpty();
        if (!present)
            return;
        exams = roster.exams;
        db.addRoster(roster.rows);
        dm.reconfigure();
        firstFit = schedulePapers(dm, [](int, int) { });
    }

    bool present = false;
    int exams = 0; // as the data lists them
    TestDatabase db;
    DataModule dm;
    SchedulingRun firstFit;
};
