#pragma once
// Hand-made terms for the room tests: roster rows by course, and what the
// rooms hold counted from the raw tables.
#include <QString>
#include <QStringList>

// Roster rows of one course of a paper: `count` candidates of their own.
inline QStringList course(const QString& paper, const QString& kcxh, const QString& name, int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows.append(QStringList{paper, kcxh, QStringLiteral("%1-%2-%3").arg(paper, kcxh).arg(i), QStringLiteral("学生"),
            QStringLiteral("C") + kcxh, name, QStringLiteral("王老师"), QStringLiteral("数学系"), {}, QStringLiteral("补考")}
                        .join(u'|'));
    return rows;
}

// Period, room, capacity and candidates of every room in use. A room is its
// name, with the capacity of its first row, as a room chosen by name is;
// candidates are counted from the roster itself.
inline const char* const seatsTaken =
    "SELECT k.cc, r.jsm, (SELECT rnrs FROM t_js WHERE jsm = r.jsm ORDER BY jsid LIMIT 1), count(*)"
    " FROM t_kscs k JOIN t_bjgmd b ON b.sjxh = k.sjxh JOIN t_js r ON r.jsid = k.jsid"
    " GROUP BY k.cc, r.jsm ORDER BY k.cc, r.jsm";
