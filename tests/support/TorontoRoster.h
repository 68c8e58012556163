#pragma once

#include <QString>
#include <QStringList>

// A set of the Toronto exam timetabling data as a roster: one paper per
// exam, numbered with the exam id as written in the .crs file; one roster
// row per distinct (student, exam), the student numbered by the .stu line
// (blank lines skipped). Empty when the files are missing.
struct TorontoRoster {
    QStringList rows; // "sjxh|kcxh|xh|xm|kcdm|kcmc|skjs|kkyx|bz|hbk"
    int exams = 0;
    int students = 0;

    static TorontoRoster load(const QString& folder, const QString& set);
};
