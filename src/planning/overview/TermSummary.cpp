#include "overview/TermSummary.h"

#include "Backup.h"
#include "DataModule.h"
#include "overview/Shortfalls.h"
#include "SlotSteps.h"

QString TermSummary::nextStep() const
{
    if (rosterRows == 0)
        return QStringLiteral("系统 → 导入数据");
    if (unnumberedCourses > 0)
        return QStringLiteral("1.试卷管理");
    if (unscheduledPapers > 0)
        return QStringLiteral("2.课程排考");
    if (roomlessPapers > 0)
        return QStringLiteral("3.指定教室");
    if (untimedPeriods > 0)
        return QStringLiteral("5.指定时间");
    return QStringLiteral("打印 → 打印考场名单");
}

QString TermSummary::text() const
{
    return QStringLiteral("本学期名单：%1 名学生，共考 %2 门次（名单 %3 行），%4 门课程，其中 %5 门课程没有试卷序号\n"
                          "试卷：%6 份，其中 %7 份还没有排考场次\n"
                          "场次：%8 场，%9 份试卷没有教室，%10 场没有考试时间\n"
                          "没有教室的考生：%11 人\n"
                          "监考教师不足的考场：%12 个\n"
                          "备份：%13 份\n"
                          "下一步：%14")
        .arg(students)
        .arg(papersSat)
        .arg(rosterRows)
        .arg(courses)
        .arg(unnumberedCourses)
        .arg(papers)
        .arg(unscheduledPapers)
        .arg(periods)
        .arg(roomlessPapers)
        .arg(untimedPeriods)
        .arg(unseated)
        .arg(shortRooms)
        .arg(backups)
        .arg(nextStep());
}

TermSummary readTermSummary(DataModule& dm)
{
    // Run while no working window is open, so the slot is free.
    QuerySlot& q = dm.ADOQuery22;
    // The papers are read once for both of their figures; the courses without
    // a paper are counted on the paper number's index, not through nonsjxh,
    // whose test for NULL would read the whole roster.
    openOn(q, SqlText("select (select count(*) from t_bjgmd) as rosterRows,"
                      " (select count(distinct trim(xh)) from t_bjgmd) as students,"
                      " (select count(*) from (select distinct trim(xh), sjxh from t_bjgmd where sjxh<>''))"
                      " + (select count(*) from (select distinct trim(xh), kcxh from t_bjgmd where sjxh='')) as papersSat,"
                      " (select count(distinct kcxh) from t_bjgmd) as courses,"
                      " (select count(distinct kcxh) from t_bjgmd where sjxh='') as unnumbered,"
                      " papers, unscheduled,"
                      " (select count(*) from t_cc) as periods,"
                      " (select count(*) from t_kscs where jsid not in (select jsid from t_js)) as roomless,"
                      " (select count(*) from t_cc where trim(coalesce(kssj,''))='') as untimed"
                      " from (select count(*) as papers, coalesce(sum(sjxh not in (select sjxh from t_kscs)),0) as unscheduled"
                      " from (select distinct sjxh from t_bjgmd where sjxh<>''))"));
    const auto figure = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name)).AsVariant().toInt(); };
    TermSummary summary;
    summary.rosterRows = figure("rosterRows");
    summary.students = figure("students");
    summary.papersSat = figure("papersSat");
    summary.courses = figure("courses");
    summary.unnumberedCourses = figure("unnumbered");
    summary.papers = figure("papers");
    summary.unscheduledPapers = figure("unscheduled");
    summary.periods = figure("periods");
    summary.roomlessPapers = figure("roomless");
    summary.untimedPeriods = figure("untimed");
    summary.backups = countBackups(dm.ADOConnection1);
    const Shortfalls shortfalls = readShortfalls(q);
    summary.unseated = shortfalls.unseated;
    summary.shortRooms = shortfalls.shortRooms;
    return summary;
}
