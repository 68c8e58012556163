// The colouring search on graphs whose chromatic number is known: the result
// is checked edge by edge here, apart from the search's own check.
#include "periods/Colouring.h"

#include <QTest>
#include <random>
#include <set>

namespace {

struct Edges {
    int vertices = 0;
    std::vector<std::pair<int, int>> pairs;

    ConflictGraph graph() const
    {
        std::vector<std::set<int>> sets(vertices);
        for (auto [a, b] : pairs) {
            sets[a].insert(b);
            sets[b].insert(a);
        }
        ConflictGraph g(vertices);
        for (int v = 0; v < vertices; ++v)
            g[v].assign(sets[v].begin(), sets[v].end());
        return g;
    }
};

Edges cycle(int n)
{
    Edges e{n, {}};
    for (int i = 0; i < n; ++i)
        e.pairs.push_back({i, (i + 1) % n});
    return e;
}

// Mycielski's construction: triangle-free, one colour more than the graph.
Edges mycielski(const Edges& g)
{
    const int n = g.vertices;
    Edges m{2 * n + 1, g.pairs};
    for (auto [a, b] : g.pairs) {
        m.pairs.push_back({a, n + b});
        m.pairs.push_back({b, n + a});
    }
    for (int i = 0; i < n; ++i)
        m.pairs.push_back({n + i, 2 * n});
    return m;
}

// Parts of the given sizes, every two vertices of different parts joined.
Edges completeMultipartite(const std::vector<int>& parts)
{
    std::vector<int> partOf;
    for (std::size_t p = 0; p < parts.size(); ++p)
        partOf.insert(partOf.end(), parts[p], int(p));
    Edges e{int(partOf.size()), {}};
    for (int a = 0; a < e.vertices; ++a)
        for (int b = a + 1; b < e.vertices; ++b)
            if (partOf[a] != partOf[b])
                e.pairs.push_back({a, b});
    return e;
}

// A graph of n vertices, each pair joined with the given chance.
Edges seededRandom(int n, double chance, unsigned seed)
{
    std::mt19937 random(seed);
    Edges e{n, {}};
    for (int a = 0; a < n; ++a)
        for (int b = a + 1; b < n; ++b)
            if (random() % 1000 < chance * 1000)
                e.pairs.push_back({a, b});
    return e;
}

// The number of colours, or -1 when an edge joins two vertices of one colour.
int checkedColours(const Edges& e, const Colouring& colouring)
{
    if (int(colouring.size()) != e.vertices)
        return -1;
    for (auto [a, b] : e.pairs)
        if (colouring[a] == colouring[b])
            return -1;
    return int(std::set<int>(colouring.begin(), colouring.end()).size());
}

Colouring eachItsOwn(int n)
{
    Colouring c(n);
    for (int v = 0; v < n; ++v)
        c[v] = v;
    return c;
}

ColourSearch budget(long long iterations)
{
    ColourSearch search;
    search.iterations = iterations;
    return search;
}

} // namespace

Q_DECLARE_METATYPE(Edges)

class TestColouring : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reachesTheChromaticNumber_data();
    void reachesTheChromaticNumber();
    void sameBudgetSameColouring();
    void cancelledAtOnceKeepsTheBestStart();
    void unsoundStartStillGivesASoundResult();
    void startColoursBeyondTheVerticesAreRenumbered();
    void reportsEachImprovement();
};

void TestColouring::reachesTheChromaticNumber_data()
{
    QTest::addColumn<Edges>("edges");
    QTest::addColumn<int>("chromatic");
    QTest::addColumn<int>("cliqueBound");

    const Edges grotzsch = mycielski(cycle(5));
    QTest::newRow("5-cycle") << cycle(5) << 3 << 2;
    QTest::newRow("9-cycle") << cycle(9) << 3 << 2;
    QTest::newRow("10-cycle") << cycle(10) << 2 << 2;
    QTest::newRow("Grötzsch (Mycielski of C5)") << grotzsch << 4 << 2;
    QTest::newRow("Mycielski of Grötzsch, 23 vertices") << mycielski(grotzsch) << 5 << 2;
    QTest::newRow("K(3,3,3)") << completeMultipartite({3, 3, 3}) << 3 << 3;
    QTest::newRow("K(1,2,3,4,5,6)") << completeMultipartite({1, 2, 3, 4, 5, 6}) << 6 << 6;
    QTest::newRow("K(4,4,4,4,4,4,4)") << completeMultipartite({4, 4, 4, 4, 4, 4, 4}) << 7 << 7;
    QTest::newRow("edgeless") << Edges{6, {}} << 1 << 1;
    QTest::newRow("no vertices") << Edges{} << 0 << 0;
}

void TestColouring::reachesTheChromaticNumber()
{
    QFETCH(Edges, edges);
    QFETCH(int, chromatic);
    QFETCH(int, cliqueBound);
    const ConflictGraph graph = edges.graph();

    QCOMPARE(cliqueLowerBound(graph), cliqueBound);
    QVERIFY(checkedColours(edges, dsaturColouring(graph)) >= chromatic);
    const Colouring found = fewerColours(graph, eachItsOwn(edges.vertices), budget(20000));
    QCOMPARE(checkedColours(edges, found), chromatic);
    for (int c : found)
        QVERIFY(c >= 0 && c < chromatic);
}

void TestColouring::sameBudgetSameColouring()
{
    const Edges edges = seededRandom(120, 0.5, 7);
    const ConflictGraph graph = edges.graph();
    const Colouring once = fewerColours(graph, eachItsOwn(edges.vertices), budget(30000));
    const Colouring again = fewerColours(graph, eachItsOwn(edges.vertices), budget(30000));
    QCOMPARE(again, once);
    QVERIFY(checkedColours(edges, once) > 0);
    QVERIFY(checkedColours(edges, once) < checkedColours(edges, dsaturColouring(graph)));
}

void TestColouring::cancelledAtOnceKeepsTheBestStart()
{
    const Edges edges = seededRandom(80, 0.3, 3);
    const ConflictGraph graph = edges.graph();
    ColourSearch search;
    search.cancelled = [] { return true; };
    // A start worse than DSatur gives way to it; a better one is kept.
    const Colouring dsatur = dsaturColouring(graph);
    QCOMPARE(checkedColours(edges, fewerColours(graph, eachItsOwn(edges.vertices), search)), checkedColours(edges, dsatur));
    const Colouring good = fewerColours(graph, eachItsOwn(edges.vertices), budget(50000));
    QVERIFY(checkedColours(edges, good) < checkedColours(edges, dsatur));
    QCOMPARE(checkedColours(edges, fewerColours(graph, good, search)), checkedColours(edges, good));
}

void TestColouring::unsoundStartStillGivesASoundResult()
{
    const Edges edges = mycielski(cycle(5));
    const Colouring oneColour(edges.vertices, 0);
    QCOMPARE(checkedColours(edges, fewerColours(edges.graph(), oneColour, budget(0))),
             checkedColours(edges, dsaturColouring(edges.graph())));
    QCOMPARE(checkedColours(edges, fewerColours(edges.graph(), oneColour, budget(20000))), 4);
}

// A start taken from periods may number its colours past the vertex count.
void TestColouring::startColoursBeyondTheVerticesAreRenumbered()
{
    const Edges path{3, {{0, 1}, {1, 2}}};
    QCOMPARE(colourCount({7, 0, 7}), 2);
    QCOMPARE(fewerColours(path.graph(), {7, 0, 7}, budget(0)), (Colouring{0, 1, 0}));
}

void TestColouring::reportsEachImprovement()
{
    const Edges edges = seededRandom(120, 0.5, 7);
    QList<int> heard;
    ColourSearch search = budget(30000);
    search.improved = [&](int colours) { heard.append(colours); };
    const Colouring found = fewerColours(edges.graph(), eachItsOwn(edges.vertices), search);
    QVERIFY(heard.size() > 1);
    QCOMPARE(heard.first(), checkedColours(edges, dsaturColouring(edges.graph())));
    QCOMPARE(heard.last(), checkedColours(edges, found));
    for (int i = 1; i < heard.size(); ++i)
        QCOMPARE(heard[i], heard[i - 1] - 1);
    // DSatur is exact on a complete multipartite graph, and the clique bound ends the search.
    heard.clear();
    fewerColours(completeMultipartite({5, 5, 5, 5}).graph(), eachItsOwn(20), search);
    QCOMPARE(heard, QList<int>{4});
    heard.clear();
    fewerColours(cycle(7).graph(), eachItsOwn(7), search);
    QCOMPARE(heard, QList<int>{3});
}

QTEST_GUILESS_MAIN(TestColouring)
#include "tst_colouring.moc"
