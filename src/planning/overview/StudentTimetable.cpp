#include "overview/StudentTimetable.h"

#include "Blanks.h"
#include "DataModule.h"
#include "SlotSteps.h"
#include "periods/TermTimetable.h"

#include <QCollator>
#include <QHash>
#include <algorithm>
#include <map>
#include <set>

namespace {

// A placed row with where its period lies, for sorting and counting.
struct PlacedRow {
    StudentPaper paper;
    int vertex = -1;   // -1: a paper the timetable does not hold
    int position = 0;  // of its period in time
};

QString keyOf(const QString& text)
{
    return trimBlanks(text).toCaseFolded();
}

} // namespace

StudentTimetable readStudentTimetable(DataModule& dm)
{
    const TermTimetable term = readTermTimetable(dm);
    QHash<QString, int> vertexOf;
    for (int v = 0; v < int(term.placed.papers.size()); ++v)
        for (const QString& paper : term.placed.papers[v])
            vertexOf.insert(keyOf(paper), v);

    QuerySlot& q = dm.ADOQuery22;
    openOn(q, "select xh,xm,kkyx,kcmc,sjxh,kssj,jsm from hbkap where cc<>'' order by rid");
    std::vector<PlacedRow> rows;
    rows.reserve(std::size_t(q.RecordCount()));
    const auto field = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name)).AsString(); };
    for (q.First(); !q.Eof(); q.Next()) {
        PlacedRow row;
        row.paper = {field("xh"), field("xm"), field("kkyx"), field("kcmc"), field("sjxh"), field("kssj"), field("jsm")};
        row.vertex = vertexOf.value(keyOf(row.paper.paper), -1);
        if (row.vertex >= 0)
            row.position = term.layout.position[std::size_t(term.placed.current[std::size_t(row.vertex)])];
        rows.push_back(std::move(row));
    }
    q.Close();

    QCollator numeric;
    numeric.setNumericMode(true);
    numeric.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(rows.begin(), rows.end(), [&numeric](const PlacedRow& a, const PlacedRow& b) {
        if (const int student = numeric.compare(trimBlanks(a.paper.xh), trimBlanks(b.paper.xh)))
            return student < 0;
        if (a.position != b.position)
            return a.position < b.position;
        return numeric.compare(a.paper.paper, b.paper.paper) < 0;
    });

    StudentTimetable timetable;
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t end = first;
        std::set<int> vertices;
        while (end < rows.size() && keyOf(rows[end].paper.xh) == keyOf(rows[first].paper.xh)) {
            if (rows[end].vertex >= 0)
                vertices.insert(rows[end].vertex);
            timetable.papers.append(rows[end].paper);
            ++end;
        }
        StudentLoad load{trimBlanks(rows[first].paper.xh), trimBlanks(rows[first].paper.xm)};
        const Enrolments alone{term.enrolments.papers, {std::vector<int>(vertices.begin(), vertices.end())}};
        const SpreadCounts counts = spreadCounts(alone, term.placed.current, term.layout);
        std::map<int, int> perDay;
        for (const int v : vertices)
            ++perDay[term.layout.day[std::size_t(term.placed.current[std::size_t(v)])]];
        load.papers = int(vertices.size());
        load.days = int(perDay.size());
        for (const auto& [day, n] : perDay)
            load.mostOnOneDay = std::max(load.mostOnOneDay, n);
        load.twoInARow = counts.twoInARow > 0;
        load.twoOnOneDay = counts.twoOnOneDay > 0;
        load.threeOnOneDay = counts.threeOnOneDay > 0;
        timetable.students.append(load);
        first = end;
    }
    return timetable;
}
