#pragma once

#include "TestDatabase.h"

#include <QStringList>

// Roster rows from "paper:student,student,..." lines: the course is named
// after the paper.
inline QStringList rosterOf(const QStringList& papers)
{
    QStringList rows;
    for (const QString& line : papers) {
        const qsizetype colon = line.lastIndexOf(u':');
        const QString paper = line.left(colon);
        for (const QString& student : line.mid(colon + 1).split(u',', Qt::SkipEmptyParts))
            rows.append(QStringList{paper, QStringLiteral("K") + paper.trimmed(), student}.join(u'|'));
    }
    return rows;
}

// A crown of papers A1..An and B1..Bn: Ai and Bj share a student (Sij) unless
// i = j. Sizes make first fit take A1, B1, A2, B2, ... and open n periods
// where two do. A1 has a second course, KA1b, whose students sit nothing else.
inline QStringList crownRoster(int n)
{
    QStringList rows;
    int filler = 0;
    for (int i = 1; i <= n; ++i) {
        for (const QString side : {"A", "B"}) {
            const QString paper = side + QString::number(i);
            for (int j = 1; j <= n; ++j)
                if (j != i)
                    rows.append(QStringList{paper, "K" + paper, side == "A" ? QString("S%1%2").arg(i).arg(j) : QString("S%1%2").arg(j).arg(i)}.join(u'|'));
            for (int extra = 2 * (n - i) + (side == "A" ? 2 : 1); extra > 0; --extra)
                rows.append(QStringList{paper, paper == "A1" ? "KA1b" : "K" + paper, QString("F%1").arg(filler++)}.join(u'|'));
        }
    }
    return rows;
}

// Placements as "cc|sjxh", by period and paper.
inline QStringList placements(TestDatabase& db)
{
    return db.rows(QStringLiteral("select cc, sjxh from t_kscs order by cast(cc as integer), sjxh"));
}

// What every finished run must leave, whatever the roster: each paper placed
// once under its own number, periods 1..K without a gap, no student in two
// papers of one period, and one empty period row per period in use.
inline QString scheduleFault(TestDatabase& db)
{
    QStringList papers;
    for (const QString& p : db.rows(QStringLiteral("select sjxh from t_hbkrs")))
        papers.append(p.trimmed());
    papers.sort();
    const QStringList placed = db.rows(QStringLiteral("select sjxh from t_kscs where sjxh1 = sjxh order by sjxh"));
    if (placed != papers || db.scalar(QStringLiteral("select count(*) from t_kscs")).toInt() != papers.size())
        return QStringLiteral("papers and placements differ");
    const QStringList periods = db.rows(QStringLiteral("select distinct cc from t_kscs order by cast(cc as integer)"));
    for (int i = 0; i < periods.size(); ++i)
        if (periods[i] != QString::number(i + 1))
            return QStringLiteral("periods are not 1..K: ") + periods.join(u',');
    const QString clashes = db.scalar(QStringLiteral(
        "select count(*) from (select b.xh from t_bjgmd b join t_kscs k on k.sjxh = b.sjxh "
        "group by b.xh, k.cc having count(distinct b.sjxh) > 1)"));
    if (clashes != QStringLiteral("0"))
        return clashes + QStringLiteral(" students sit two papers in one period");
    if (db.rows(QStringLiteral("select cc from t_cc where kssj is null or kssj = '' order by cast(cc as integer)")) != periods
        || db.scalar(QStringLiteral("select count(*) from t_cc")).toInt() != periods.size())
        return QStringLiteral("t_cc does not hold one empty row per period");
    return {};
}

// The placements and periods as stored, row ids included: what a run that
// must change nothing is compared on.
inline QStringList placementTables(TestDatabase& db)
{
    return db.rows("select 'kscs', rowid, quote(cc), quote(sjxh), quote(sjxh1), quote(jsid) from t_kscs order by rowid")
        + db.rows("select 'cc', rowid, quote(cc), quote(kssj) from t_cc order by rowid");
}

// How many students sit two papers in one period, worked out from the
// tables alone.
inline QString studentsInTwoPapersOfAPeriod(TestDatabase& db)
{
    return db.scalar("select count(*) from (select b.xh from t_bjgmd b join t_kscs k on k.sjxh = b.sjxh "
                     "group by b.xh, k.cc having count(distinct b.sjxh) > 1)");
}
