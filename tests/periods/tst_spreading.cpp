// The spread of each student's papers: the cost against figures worked out
// by hand, and the search's result checked for clashes and loads here, apart
// from the search's own bookkeeping, on a small roster and a Toronto set.
#include "periods/SpreadState.h"
#include "periods/Spreading.h"
#include "TorontoRoster.h"

#include <QHash>
#include <QTest>
#include <algorithm>
#include <random>

namespace {

// Papers 0..5 in periods 0..5; three sittings a day, so papers 2 and 3 have
// a night between them.
Enrolments handExample()
{
    return { 6, { { 0, 1 }, { 2, 3 }, { 0, 2, 5 }, { 3, 4, 5 } } };
}

// A student sits `perStudent` of `papers` papers, drawn with a fixed seed.
Enrolments drawnRoster(int papers, int students, int perStudent)
{
    std::mt19937 random(7);
    Enrolments enrolments { papers, {} };
    for (int s = 0; s < students; ++s) {
        std::vector<int> sits;
        while (int(sits.size()) < perStudent) {
            const int paper = int(random() % papers);
            if (std::find(sits.begin(), sits.end(), paper) == sits.end())
                sits.push_back(paper);
        }
        enrolments.students.push_back(sits);
    }
    return enrolments;
}

// The number of `key`, numbering new keys in the order they come.
int numberOf(QHash<QString, int>& numbers, const QString& key)
{
    const auto found = numbers.constFind(key);
    if (found != numbers.constEnd())
        return *found;
    const int next = int(numbers.size());
    numbers.insert(key, next);
    return next;
}

std::vector<long long> loads(const Enrolments& enrolments, const Colouring& periods, int count)
{
    std::vector<long long> load(count, 0);
    for (const auto& papers : enrolments.students)
        for (const int paper : papers)
            ++load[periods[paper]];
    return load;
}

// True when no student sits two papers in one period.
bool clashFree(const Enrolments& enrolments, const Colouring& periods)
{
    for (const auto& papers : enrolments.students)
        for (std::size_t i = 0; i < papers.size(); ++i)
            for (std::size_t j = i + 1; j < papers.size(); ++j)
                if (periods[papers[i]] == periods[papers[j]])
                    return false;
    return true;
}

} // namespace

class TestSpreading : public QObject {
    Q_OBJECT

private slots:
    void costAndCountsByHand();
    void searchKeepsClashFreeAndWithinCapacity_data();
    void searchKeepsClashFreeAndWithinCapacity();
    void torontoSetStaysClashFreeAndImproves();
    void movedStateMatchesOneBuiltAfresh_data();
    void movedStateMatchesOneBuiltAfresh();
};

void TestSpreading::costAndCountsByHand()
{
    const Enrolments enrolments = handExample();
    const Colouring identity = { 0, 1, 2, 3, 4, 5 };
    // Positions 0 1 2 | 4 5 6: 16 + 8 (over the night) + (8 + 0 + 2) + (16 + 8 + 16) = 74.
    const SpreadCounts days = spreadCounts(enrolments, identity, dailyLayout(6, 3));
    QCOMPARE(days.cost, 74.0 / 4);
    QCOMPARE(days.twoInARow, 2);
    QCOMPARE(days.twoOnOneDay, 3);
    QCOMPARE(days.threeOnOneDay, 1);
    // One day, no night: 16 + 16 + (8 + 1 + 4) + (16 + 8 + 16) = 85.
    QCOMPARE(proximityCost(enrolments, identity, singleDayLayout(6)), 85.0 / 4);
}

void TestSpreading::searchKeepsClashFreeAndWithinCapacity_data()
{
    QTest::addColumn<bool>("limited");
    QTest::newRow("no capacity") << false;
    QTest::newRow("capacity") << true;
}

void TestSpreading::searchKeepsClashFreeAndWithinCapacity()
{
    QFETCH(bool, limited);
    const Enrolments enrolments = drawnRoster(40, 80, 3);
    const ConflictGraph graph = conflictGraphOf(enrolments);
    const Colouring start = dsaturColouring(graph);
    const int periods = colourCount(start) + 3;
    const PeriodLayout layout = dailyLayout(periods, 3);
    const std::vector<long long> startLoads = loads(enrolments, start, periods);
    const long long capacity = *std::max_element(startLoads.begin(), startLoads.end());

    SpreadSearch search;
    search.iterations = 20000;
    search.milliseconds = -1;
    if (limited)
        search.capacity = int(capacity);
    const Colouring result = spreadPapers(enrolments, start, layout, search);
    QVERIFY(clashFree(enrolments, result));
    QVERIFY(*std::max_element(result.begin(), result.end()) < periods);
    if (limited)
        for (const long long load : loads(enrolments, result, periods))
            QVERIFY(load <= capacity);
    QVERIFY(proximityCost(enrolments, result, layout) < proximityCost(enrolments, start, layout));
    // The same budget gives the same placement.
    QCOMPARE(spreadPapers(enrolments, start, layout, search), result);
}

void TestSpreading::torontoSetStaysClashFreeAndImproves()
{
    const TorontoRoster roster = TorontoRoster::load(QStringLiteral(PAIKAO_TORONTO), QStringLiteral("ute-s-92"));
    if (roster.rows.isEmpty())
        QSKIP("the Toronto data is not present");
    QHash<QString, int> paperIndex, studentIndex;
    Enrolments enrolments;
    for (const QString& row : roster.rows) {
        const QStringList fields = row.split(QLatin1Char('|'));
        const int paper = numberOf(paperIndex, fields[1]);
        const int student = numberOf(studentIndex, fields[2]);
        if (student >= int(enrolments.students.size()))
            enrolments.students.resize(student + 1);
        enrolments.students[student].push_back(paper);
    }
    enrolments.papers = int(paperIndex.size());
    const Colouring start = dsaturColouring(conflictGraphOf(enrolments));
    QCOMPARE(colourCount(start), 10);
    const PeriodLayout layout = singleDayLayout(10);
    SpreadSearch search;
    search.iterations = 20000;
    search.milliseconds = -1;
    double reported = 0;
    search.improved = [&](double cost) { reported = cost; };
    const Colouring result = spreadPapers(enrolments, start, layout, search);
    QVERIFY(clashFree(enrolments, result));
    const double cost = proximityCost(enrolments, result, layout);
    QCOMPARE(cost, reported);
    QVERIFY(cost < proximityCost(enrolments, start, layout));
}

void TestSpreading::movedStateMatchesOneBuiltAfresh_data()
{
    QTest::addColumn<int>("sharing");
    QTest::newRow("a period per position") << 1;
    // Periods given one time lie at one position.
    QTest::newRow("two periods at one position") << 2;
    QTest::newRow("three periods at one position") << 3;
}

void TestSpreading::movedStateMatchesOneBuiltAfresh()
{
    // Moves of every kind, worse ones too, with a night in the layout; the
    // penalties, neighbour counts, loads and cost kept move by move must
    // equal those of a state built from the final placement.
    QFETCH(int, sharing);
    const Enrolments enrolments = drawnRoster(40, 80, 3);
    const Colouring start = dsaturColouring(conflictGraphOf(enrolments));
    const int periods = colourCount(start) + 3;
    PeriodLayout layout = dailyLayout(periods, 3);
    for (int p = 1; p < sharing; ++p) {
        layout.position[std::size_t(p)] = layout.position[0];
        layout.day[std::size_t(p)] = layout.day[0];
    }
    const WeightedGraph graph(enrolments);
    SpreadState state(graph, start, layout);
    std::mt19937 random(11);
    int chains = 0;
    for (int move = 0; move < 3000; ++move) {
        const int paper = int(random() % enrolments.papers);
        const int from = state.periodOf(paper);
        const int other = (from + 1 + int(random() % (periods - 1))) % periods;
        if (move % 50 == 0) {
            state.exchange(from, other, state.exchangeDelta(from, other));
            continue;
        }
        const SpreadState::Chain chain = state.chain(paper, other);
        chains += !state.meetsNobodyIn(paper, other);
        state.apply(chain);
    }
    QVERIFY(chains > 100);
    QVERIFY(clashFree(enrolments, state.placement()));

    const SpreadState fresh(graph, state.placement(), layout);
    QCOMPARE(state.total(), fresh.total());
    QCOMPARE(double(state.total()) / enrolments.students.size(), proximityCost(enrolments, state.placement(), layout));
    for (int p = 0; p < periods; ++p) {
        QCOMPARE(state.load(p), fresh.load(p));
        for (int paper = 0; paper < enrolments.papers; ++paper) {
            QCOMPARE(state.penalty(paper, p), fresh.penalty(paper, p));
            QCOMPARE(state.meetsNobodyIn(paper, p), fresh.meetsNobodyIn(paper, p));
        }
    }
}

QTEST_GUILESS_MAIN(TestSpreading)
#include "tst_spreading.moc"
