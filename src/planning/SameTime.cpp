#include "SameTime.h"

#include "Blanks.h"
#include "DataModule.h"
#include "SlotSteps.h"

#include <QCollator>
#include <QSet>
#include <algorithm>

QString SameTimeClash::text() const
{
    return QStringLiteral("第%1场已定在这个时间（%2），第%3场与它有 %4 名相同的考生，同一时间不能考两份试卷。\n"
                          "例如 学号 %5 %6：\n"
                          "    第%3场：%7（试卷序号 %8）\n"
                          "    第%1场：%9（试卷序号 %10）\n"
                          "第%3场的时间没有修改，请另选时间。")
        .arg(otherPeriod, time, period)
        .arg(students)
        .arg(xh, xm, course, paper, otherCourse, otherPaper);
}

namespace {

// Periods other than `period` whose time is `time`, in numeric order.
QStringList periodsAt(QuerySlot& q, const QString& period, const QString& time)
{
    openOn(q, "select cc,kssj from t_cc");
    QStringList periods;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString cc = trimBlanks(q.FieldByName(QStringLiteral("cc")).AsString());
        if (cc.compare(period, Qt::CaseInsensitive) != 0
            && trimBlanks(q.FieldByName(QStringLiteral("kssj")).AsString()).compare(time, Qt::CaseInsensitive) == 0)
            periods.append(cc);
    }
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(periods.begin(), periods.end(), numeric);
    return periods;
}

} // namespace

std::optional<SameTimeClash> sameTimeClash(DataModule& dm, const QString& period, const QString& time)
{
    SameTimeClash clash;
    clash.period = trimBlanks(period);
    clash.time = trimBlanks(time);
    if (clash.time.isEmpty() || clash.period.isEmpty())
        return std::nullopt;
    QuerySlot& q = dm.ADOQuery22;
    for (const QString& other : periodsAt(q, clash.period, clash.time)) {
        openOn(q, SqlText("select a.xh as xh,a.xm as xm,a.sjxh as sjxh,a.kcmc as kcmc,b.sjxh as sjxh2,b.kcmc as kcmc2"
                          " from t_bjgmd a join t_kscs ka on ka.sjxh=a.sjxh"
                          " join t_bjgmd b on b.xh=a.xh join t_kscs kb on kb.sjxh=b.sjxh"
                          " where a.xh<>'' and ka.cc='")
                      + clash.period + "' and kb.cc='" + other + "' order by a.xh,a.sjxh,b.sjxh");
        if (q.Eof())
            continue;
        const auto field = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name)).AsString(); };
        clash.otherPeriod = other;
        clash.xh = field("xh");
        clash.xm = field("xm");
        clash.paper = field("sjxh");
        clash.course = field("kcmc");
        clash.otherPaper = field("sjxh2");
        clash.otherCourse = field("kcmc2");
        QSet<QString> students;
        for (; !q.Eof(); q.Next())
            students.insert(field("xh").toCaseFolded());
        clash.students = int(students.size());
        q.Close();
        return clash;
    }
    q.Close();
    return std::nullopt;
}
