#pragma once

#include <QList>
#include <QString>

class DataModule;

// One placed paper of one student (a roster row), as the students'
// timetable lists it.
struct StudentPaper {
    QString xh;
    QString xm;
    QString department; // the course's offering department
    QString course;
    QString paper;
    QString time;
    QString room;
};

// How a student's exams fall, counted by the same rules as the spread's
// figures: days and sittings as the periods' times lay them out.
struct StudentLoad {
    QString xh;
    QString xm;
    int papers = 0; // placed papers, one of two of their courses once
    int days = 0;   // days with an exam
    int mostOnOneDay = 0;
    bool twoInARow = false;
    bool twoOnOneDay = false;
    bool threeOnOneDay = false;
};

struct StudentTimetable {
    QList<StudentPaper> papers;  // by student number, then time
    QList<StudentLoad> students; // by student number
};

// The candidates of every placed paper, their times as stored. A time that
// can be read (time/ExamTime.h, however spelled) puts its period on that
// day and sitting; a period with any other time, or none, is a day of its
// own and comes after the dated ones.
StudentTimetable readStudentTimetable(DataModule& dm);
