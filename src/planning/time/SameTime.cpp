#include "time/SameTime.h"

#include "Blanks.h"
#include "DataModule.h"
#include "SlotSteps.h"
#include "time/ExamTime.h"

#include <QCollator>
#include <QHash>
#include <QSet>
#include <algorithm>

QString SameTimeClash::text() const
{
    return QStringLiteral("第%1场已定在这个时间（%2），第%3场与它有 %4 名相同的考生，同一时间不能考两份试卷。\n"
                          "例如 学号 %5 %6：\n"
                          "    第%3场：%7（试卷序号 %8）\n"
                          "    第%1场：%9（试卷序号 %10）\n"
                          "第%3场的时间没有修改，请另选时间。")
        // One call, so that a "%" in a typed value is never taken for a placeholder.
        .arg(otherPeriod, time, period, QString::number(students), xh, xm, course, paper, otherCourse, otherPaper);
}

namespace {

// A period sat at the time given.
struct PeriodAt {
    QString period;
    QString time; // as stored, trimmed
};

// Periods other than `period` whose time meets `time`, in numeric order.
QList<PeriodAt> periodsAt(QuerySlot& q, const QString& period, const QString& time)
{
    openOn(q, "select cc,kssj from t_cc");
    QList<PeriodAt> periods;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString cc = trimBlanks(q.FieldByName(QStringLiteral("cc")).AsString());
        const QString kssj = trimBlanks(q.FieldByName(QStringLiteral("kssj")).AsString());
        if (cc.compare(period, Qt::CaseInsensitive) != 0 && examTimesMeet(kssj, time))
            periods.append({cc, kssj});
    }
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(periods.begin(), periods.end(),
              [&numeric](const PeriodAt& a, const PeriodAt& b) { return numeric.compare(a.period, b.period) < 0; });
    return periods;
}

// Students are told apart by 学号, trimmed, regardless of case.
QString studentKey(const QString& xh)
{
    return trimBlanks(xh).toCaseFolded();
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
    const QList<PeriodAt> others = periodsAt(q, clash.period, clash.time);
    if (others.isEmpty()) {
        q.Close();
        return std::nullopt;
    }
    const auto field = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name)).AsString(); };
    // Each student of the period, with their first paper there.
    const auto openStudentsOf = [&q](const QString& cc) {
        openOn(q, SqlText("select xh,xm,sjxh,kcmc from t_bjgmd where xh<>'' and sjxh in (select sjxh from t_kscs where cc='")
                      + cc + "') order by xh,sjxh");
    };
    struct Sitting {
        QString xm, paper, course;
    };
    QHash<QString, Sitting> here;
    openStudentsOf(clash.period);
    for (q.First(); !q.Eof(); q.Next())
        if (const QString xh = studentKey(field("xh")); !xh.isEmpty() && !here.contains(xh))
            here.insert(xh, {field("xm"), field("sjxh"), field("kcmc")});

    for (const PeriodAt& other : others) {
        openStudentsOf(other.period);
        QSet<QString> shared;
        for (q.First(); !q.Eof(); q.Next()) {
            const QString xh = studentKey(field("xh"));
            const auto sitting = here.constFind(xh);
            if (sitting == here.cend() || shared.contains(xh))
                continue;
            if (shared.isEmpty()) {
                clash.otherPeriod = other.period;
                clash.time = other.time;
                clash.xh = trimBlanks(field("xh"));
                clash.xm = sitting->xm;
                clash.paper = sitting->paper;
                clash.course = sitting->course;
                clash.otherPaper = field("sjxh");
                clash.otherCourse = field("kcmc");
            }
            shared.insert(xh);
        }
        if (!shared.isEmpty()) {
            clash.students = int(shared.size());
            q.Close();
            return clash;
        }
    }
    q.Close();
    return std::nullopt;
}
