#include "periods/PeriodReduction.h"

#include "DataModule.h"
#include "people/Invigilation.h"
#include "periods/PeriodChange.h"
#include "SlotSteps.h"
#include "Transaction.h"

#include <QDeadlineTimer>
#include <QHash>
#include <map>
#include <climits>
#include <algorithm>
#include <numeric>

namespace {

// Text as the database compares it: letters A to Z without regard to case.
QString asCompared(const QString& text)
{
    QString folded = text;
    for (QChar& ch : folded)
        if (ch >= u'A' && ch <= u'Z')
            ch = QChar(ch.unicode() + 32);
    return folded;
}

// Period texts in period order: numbers by value, anything else after them.
bool periodBefore(const QString& a, const QString& b)
{
    bool aNumber = false, bNumber = false;
    const qlonglong x = a.trimmed().toLongLong(&aNumber), y = b.trimmed().toLongLong(&bNumber);
    if (aNumber != bNumber)
        return aNumber;
    if (aNumber && x != y)
        return x < y;
    return a < b;
}

int root(std::vector<int>& parent, int v)
{
    while (parent[v] != v)
        v = parent[v] = parent[parent[v]];
    return v;
}

} // namespace

PlacedPapers readPlacedPapers(DataModule& dm)
{
    QuerySlot& q = dm.ADOQuery13;
    openOn(q, "select sjxh,sjxh1,cc from t_kscs order by cc,sjxh,sjxh1");
    struct Row {
        QString paper, source, period;
    };
    std::vector<Row> rows;
    QHash<QString, int> paperIndex; // compared paper number -> first row
    for (int r = 0; r < q.RecordCount(); ++r) {
        rows.push_back({q.value(r, 0).toString(), q.value(r, 1).toString(), q.value(r, 2).toString()});
        paperIndex.insert(asCompared(rows.back().paper), paperIndex.value(asCompared(rows.back().paper), r));
    }

    // Rows of one paper number stay together; so does a split-off paper that
    // is still in the period of the paper it came from.
    std::vector<int> parent(rows.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        parent[root(parent, int(r))] = root(parent, paperIndex.value(asCompared(rows[r].paper)));
        const QString source = asCompared(rows[r].source);
        if (source == asCompared(rows[r].paper) || !paperIndex.contains(source))
            continue;
        for (std::size_t s = 0; s < rows.size(); ++s)
            if (asCompared(rows[s].paper) == source && asCompared(rows[s].period) == asCompared(rows[r].period))
                parent[root(parent, int(r))] = root(parent, int(s));
    }

    QStringList periodTexts;
    for (const Row& row : rows)
        if (!periodTexts.contains(row.period))
            periodTexts.append(row.period);
    std::sort(periodTexts.begin(), periodTexts.end(), periodBefore);

    PlacedPapers placed;
    placed.periods = int(periodTexts.size());
    placed.periodNumbers = periodTexts;
    QHash<int, int> vertexOfRoot;
    QHash<QString, int> vertexOfPaper;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int group = root(parent, int(r));
        if (!vertexOfRoot.contains(group)) {
            vertexOfRoot.insert(group, int(placed.papers.size()));
            placed.papers.append(QStringList());
            placed.current.push_back(int(periodTexts.indexOf(rows[r].period)));
        }
        const int v = vertexOfRoot.value(group);
        if (!placed.papers[v].contains(rows[r].paper))
            placed.papers[v].append(rows[r].paper);
        vertexOfPaper.insert(asCompared(rows[r].paper), v);
    }

    // Two vertices conflict when a student (blanks around the number do not
    // make another student) sits a paper of each.
    openOn(q, "select sjxh,xh from t_bjgmd where sjxh in (select sjxh from t_kscs)");
    std::map<QString, std::vector<int>> papersOfStudent;
    QHash<QString, QString> writtenAs;
    for (int r = 0; r < q.RecordCount(); ++r) {
        const int v = vertexOfPaper.value(asCompared(q.value(r, 0).toString()), -1);
        if (v < 0)
            continue;
        const QString number = q.value(r, 1).toString().trimmed();
        papersOfStudent[asCompared(number)].push_back(v);
        if (!writtenAs.contains(asCompared(number)))
            writtenAs.insert(asCompared(number), number);
    }
    q.Close();
    placed.graph.assign(placed.papers.size(), {});
    for (auto& [student, vertices] : papersOfStudent) {
        std::sort(vertices.begin(), vertices.end());
        vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
        for (int a : vertices)
            for (int b : vertices)
                if (a != b)
                    placed.graph[a].push_back(b);
        placed.students.push_back(std::move(vertices));
        placed.studentNumbers.append(writtenAs.value(student));
    }
    for (std::vector<int>& neighbours : placed.graph) {
        std::sort(neighbours.begin(), neighbours.end());
        neighbours.erase(std::unique(neighbours.begin(), neighbours.end()), neighbours.end());
    }
    return placed;
}

bool periodsHaveTimes(DataModule& dm)
{
    openOn(dm.ADOQuery13, "select kssj from t_cc");
    bool timed = false;
    for (int r = 0; r < dm.ADOQuery13.RecordCount() && !timed; ++r)
        timed = !dm.ADOQuery13.value(r, 0).toString().trimmed().isEmpty();
    dm.ADOQuery13.Close();
    return timed;
}

Colouring searchFewerPeriods(const PlacedPapers& placed, const ReductionLimits& limits,
                             const std::function<void(int periods)>& improved,
                             const std::function<bool()>& cancelled)
{
    const QDeadlineTimer deadline(limits.milliseconds);
    ColourSearch search;
    search.iterations = limits.iterations;
    search.improved = improved;
    search.cancelled = [&] { return deadline.hasExpired() || (cancelled && cancelled()); };
    return fewerColours(placed.graph, placed.current, search);
}

QString writePeriods(DataModule& dm, const PlacedPapers& placed, const Colouring& periods)
{
    // New periods follow the order of the periods their papers come from.
    const int count = colourCount(periods);
    std::vector<int> earliest(count, INT_MAX);
    for (std::size_t v = 0; v < periods.size(); ++v)
        earliest[periods[v]] = std::min(earliest[periods[v]], placed.current[v] * int(periods.size()) + int(v));
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return earliest[a] < earliest[b]; });
    std::vector<int> number(count);
    for (int i = 0; i < count; ++i)
        number[order[i]] = i + 1;

    QString fault;
    inTransaction(dm.ADOConnection1, [&] {
        writeUnavailableAsTimes(dm);
        for (std::size_t v = 0; v < periods.size(); ++v)
            for (const QString& paper : placed.papers[int(v)])
                movePaperToPeriod(dm, paper, QString::number(number[periods[v]]));
        executeOn(dm.ADOQuery17, " delete * from t_cc          ");
        for (int p = 1; p <= count; ++p)
            executeOn(dm.ADOQuery20, SqlText("insert into t_cc(cc) values('") + QString::number(p) + "')       ");

        openOn(dm.ADOQuery13, "select distinct cc from t_kscs");
        for (int r = 0; r < dm.ADOQuery13.RecordCount(); ++r) {
            const int p = dm.ADOQuery13.value(r, 0).toString().toInt();
            if (dm.ADOQuery13.value(r, 0).toString() != QString::number(p) || p < 1 || p > count) {
                fault = QStringLiteral("有试卷未能移入新的场次，场次未作改动。");
                return false;
            }
        }
        for (int p = 1; p <= count; ++p) {
            const QString student = studentInTwoPapers(dm, QString::number(p));
            if (!student.isEmpty()) {
                fault = QStringLiteral("第 %1 场中学号 %2 的学生有两份试卷，场次未作改动。").arg(p).arg(student);
                return false;
            }
        }
        return true;
    });
    dm.ADOQuery13.Close();
    dm.ADOQuery2.Close();
    return fault;
}
