#include "overview/ConflictList.h"

#include "Blanks.h"
#include "periods/Rules.h"

#include <QCollator>
#include <algorithm>

ConflictList readConflictList(DataModule& dm)
{
    ConflictList list;
    for (const ExamRule& rule : readRules(dm))
        if (rule.kind == RuleKind::DailyLimit && (list.dailyLimit == 0 || rule.number < list.dailyLimit))
            list.dailyLimit = rule.number;
    const StudentTimetable timetable = readStudentTimetable(dm);
    int next = 0; // the student's first paper in timetable.papers, which lists them in the same order
    for (const StudentLoad& load : timetable.students) {
        const int first = next;
        while (next < timetable.papers.size()
               && trimBlanks(timetable.papers[next].xh).toCaseFolded() == load.xh.toCaseFolded())
            ++next;
        ConflictStudent student{load, int(overLimit(load.mostOnOneDay, list.dailyLimit)), timetable.papers.mid(first, next - first)};
        if (!load.twoInARow && !load.twoOnOneDay && student.overLimit == 0)
            continue;
        list.twoInARow += load.twoInARow;
        list.twoOnOneDay += load.twoOnOneDay;
        list.overLimit += student.overLimit > 0;
        list.students.append(student);
    }
    QCollator numeric;
    numeric.setNumericMode(true);
    const auto worse = [](const ConflictStudent& s) {
        return std::make_tuple(s.overLimit, s.load.mostOnOneDay, int(s.load.twoInARow), s.load.papers);
    };
    std::stable_sort(list.students.begin(), list.students.end(), [&](const ConflictStudent& a, const ConflictStudent& b) {
        if (worse(a) != worse(b))
            return worse(a) > worse(b);
        return numeric.compare(a.load.xh, b.load.xh) < 0;
    });
    return list;
}

QString conflictSummary(const ConflictList& list)
{
    QString summary = QStringLiteral("同一天连考两场的学生 %1 人，同一天考两场及以上的学生 %2 人")
                          .arg(list.twoInARow)
                          .arg(list.twoOnOneDay);
    if (list.dailyLimit > 0)
        summary += QStringLiteral("，超过每天最多 %1 场的学生 %2 人").arg(list.dailyLimit).arg(list.overLimit);
    return summary + QStringLiteral("。");
}

QStringList conflictColumns()
{
    return {QStringLiteral("学号"), QStringLiteral("姓名"), QStringLiteral("一天最多"), QStringLiteral("问题"),
            QStringLiteral("考试安排")};
}

ConflictRow conflictRow(const ConflictStudent& student)
{
    QStringList problems;
    if (student.overLimit > 0)
        problems.append(QStringLiteral("超过每天场数"));
    if (student.load.twoInARow)
        problems.append(QStringLiteral("连考两场"));
    if (student.load.twoOnOneDay)
        problems.append(QStringLiteral("一天两场以上"));
    ConflictRow row;
    row.cells = {student.load.xh, student.load.xm, QString::number(student.load.mostOnOneDay),
                 problems.join(QStringLiteral("、"))};
    for (const StudentPaper& p : student.papers)
        row.exams.append(QStringLiteral("%1 %2 %3").arg(p.time, p.paper, p.course));
    return row;
}
