#include "Spreading.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <map>
#include <random>

namespace {

// Weight of two papers `distance` positions apart.
long long proximityWeight(int distance)
{
    static constexpr long long weights[] = { 0, 16, 8, 4, 2, 1 };
    distance = distance < 0 ? -distance : distance;
    return distance <= 5 ? weights[distance] : 0;
}

const QStringList weekdayNames = { QStringLiteral("星期一"), QStringLiteral("星期二"), QStringLiteral("星期三"),
                                   QStringLiteral("星期四"), QStringLiteral("星期五"), QStringLiteral("星期六"),
                                   QStringLiteral("星期日") };

// The weighted conflict graph in flat arrays: for vertex v its neighbours
// are to[start[v] .. start[v+1]), each with the number of shared students.
struct WeightedGraph {
    std::vector<int> start;
    std::vector<int> to;
    std::vector<long long> shared;
    std::vector<long long> size; // students per vertex

    explicit WeightedGraph(const Enrolments& enrolments)
        : size(enrolments.papers, 0)
    {
        std::vector<std::map<int, long long>> pairs(enrolments.papers);
        for (const std::vector<int>& papers : enrolments.students)
            for (std::size_t i = 0; i < papers.size(); ++i) {
                ++size[papers[i]];
                for (std::size_t j = i + 1; j < papers.size(); ++j) {
                    ++pairs[papers[i]][papers[j]];
                    ++pairs[papers[j]][papers[i]];
                }
            }
        start.push_back(0);
        for (const auto& row : pairs) {
            for (const auto& [other, count] : row) {
                to.push_back(other);
                shared.push_back(count);
            }
            start.push_back(int(to.size()));
        }
    }
};

// The search state: a label (internal period) per vertex, a position per
// label, the total weighted cost, the shared students between every two
// labels (so two periods can exchange places in O(K)), and the load of
// each label.
class SpreadState {
    const WeightedGraph& graph;
    Colouring labels;
    std::vector<int> positionOf;

public:
    int periods;
    long long total = 0;

private:
    std::vector<long long> between;
    std::vector<long long> load;
    std::vector<char> inChain;
    std::vector<int> chain;
    std::vector<int> slotByLabel;

public:
    SpreadState(const WeightedGraph& graph, const Colouring& start, const PeriodLayout& layout)
        : graph(graph), labels(start), positionOf(layout.position), periods(int(layout.position.size())),
          between(std::size_t(periods) * periods, 0), load(periods, 0), inChain(start.size(), 0)
    {
        for (int v = 0; v < int(labels.size()); ++v) {
            load[labels[v]] += graph.size[v];
            for (int e = graph.start[v]; e < graph.start[v + 1]; ++e) {
                between[std::size_t(labels[v]) * periods + labels[graph.to[e]]] += graph.shared[e];
                if (v < graph.to[e])
                    total += graph.shared[e] * pairWeight(labels[v], labels[graph.to[e]]);
            }
        }
    }

    long long pairWeight(int a, int b) const { return proximityWeight(positionOf[a] - positionOf[b]); }

    // The Kempe chain of `v` between its label and `other`, and what moving
    // it would change in cost; false when it would break the capacity.
    bool evaluateChain(int v, int other, const std::optional<int>& capacity, long long& delta)
    {
        const int from = labels[v];
        chain.clear();
        chain.push_back(v);
        inChain[v] = 1;
        long long moveToOther = 0, moveToFrom = 0;
        for (std::size_t i = 0; i < chain.size(); ++i) {
            const int u = chain[i];
            (labels[u] == from ? moveToOther : moveToFrom) += graph.size[u];
            for (int e = graph.start[u]; e < graph.start[u + 1]; ++e) {
                const int w = graph.to[e];
                if (!inChain[w] && (labels[w] == from || labels[w] == other)) {
                    inChain[w] = 1;
                    chain.push_back(w);
                }
            }
        }
        delta = 0;
        for (const int u : chain) {
            const int now = labels[u];
            const int next = now == from ? other : from;
            for (int e = graph.start[u]; e < graph.start[u + 1]; ++e) {
                const int w = graph.to[e];
                if (!inChain[w])
                    delta += graph.shared[e] * (pairWeight(next, labels[w]) - pairWeight(now, labels[w]));
            }
        }
        for (const int u : chain)
            inChain[u] = 0;
        if (!capacity)
            return true;
        const long long newFrom = load[from] - moveToOther + moveToFrom;
        const long long newOther = load[other] - moveToFrom + moveToOther;
        return (newFrom <= *capacity || newFrom <= load[from]) && (newOther <= *capacity || newOther <= load[other]);
    }

    void applyChain(int from, int other, long long delta)
    {
        for (const int u : chain)
            relabel(u, labels[u] == from ? other : from);
        total += delta;
    }

    // What exchanging the places of two labels changes in cost.
    long long swapDelta(int a, int b) const
    {
        long long delta = 0;
        for (int q = 0; q < periods; ++q) {
            if (q == a || q == b)
                continue;
            const long long ab = pairWeight(b, q) - pairWeight(a, q);
            delta += (between[std::size_t(a) * periods + q] - between[std::size_t(b) * periods + q]) * ab;
        }
        return delta;
    }

    void applySwap(int a, int b, long long delta)
    {
        std::swap(positionOf[a], positionOf[b]);
        std::swap(slotOfLabel(a), slotOfLabel(b));
        total += delta;
    }

    // The placement as periods of the layout.
    Colouring placement() const
    {
        Colouring result(labels.size());
        for (std::size_t v = 0; v < labels.size(); ++v)
            result[v] = slotByLabel[labels[v]];
        return result;
    }

    void initSlots()
    {
        slotByLabel.resize(periods);
        for (int p = 0; p < periods; ++p)
            slotByLabel[p] = p;
    }

    const Colouring& current() const { return labels; }

private:
    int& slotOfLabel(int label) { return slotByLabel[label]; }

    void relabel(int v, int next)
    {
        const int now = labels[v];
        for (int e = graph.start[v]; e < graph.start[v + 1]; ++e) {
            const int w = labels[graph.to[e]];
            const long long s = graph.shared[e];
            between[std::size_t(now) * periods + w] -= s;
            between[std::size_t(w) * periods + now] -= s;
            between[std::size_t(next) * periods + w] += s;
            between[std::size_t(w) * periods + next] += s;
        }
        load[now] -= graph.size[v];
        load[next] += graph.size[v];
        labels[v] = next;
    }

};

} // namespace

PeriodLayout singleDayLayout(int periods)
{
    PeriodLayout layout;
    for (int p = 0; p < periods; ++p) {
        layout.position.push_back(p);
        layout.day.push_back(0);
    }
    return layout;
}

PeriodLayout dailyLayout(int periods, int sittingsPerDay)
{
    PeriodLayout layout;
    for (int p = 0; p < periods; ++p) {
        layout.position.push_back(p + p / sittingsPerDay);
        layout.day.push_back(p / sittingsPerDay);
    }
    return layout;
}

double proximityCost(const Enrolments& enrolments, const Colouring& periods, const PeriodLayout& layout)
{
    if (enrolments.students.empty())
        return 0;
    long long sum = 0;
    for (const std::vector<int>& papers : enrolments.students)
        for (std::size_t i = 0; i < papers.size(); ++i)
            for (std::size_t j = i + 1; j < papers.size(); ++j)
                sum += proximityWeight(layout.position[periods[papers[i]]] - layout.position[periods[papers[j]]]);
    return double(sum) / double(enrolments.students.size());
}

SpreadCounts spreadCounts(const Enrolments& enrolments, const Colouring& periods, const PeriodLayout& layout)
{
    SpreadCounts counts;
    counts.cost = proximityCost(enrolments, periods, layout);
    for (const std::vector<int>& papers : enrolments.students) {
        std::map<int, std::vector<int>> positionsByDay;
        for (const int paper : papers)
            positionsByDay[layout.day[periods[paper]]].push_back(layout.position[periods[paper]]);
        bool inARow = false, two = false, three = false;
        for (auto& [day, positions] : positionsByDay) {
            std::sort(positions.begin(), positions.end());
            two = two || positions.size() >= 2;
            three = three || positions.size() >= 3;
            for (std::size_t i = 1; i < positions.size(); ++i)
                inARow = inARow || positions[i] - positions[i - 1] == 1;
        }
        counts.twoInARow += inARow;
        counts.twoOnOneDay += two;
        counts.threeOnOneDay += three;
    }
    return counts;
}

ConflictGraph conflictGraphOf(const Enrolments& enrolments)
{
    const WeightedGraph weighted(enrolments);
    ConflictGraph graph(enrolments.papers);
    for (int v = 0; v < enrolments.papers; ++v)
        graph[v].assign(weighted.to.begin() + weighted.start[v], weighted.to.begin() + weighted.start[v + 1]);
    return graph;
}

Colouring spreadPapers(const Enrolments& enrolments, const Colouring& start, const PeriodLayout& layout,
                       const SpreadSearch& search)
{
    const int periods = int(layout.position.size());
    if (enrolments.papers == 0 || periods < 2)
        return start;
    const WeightedGraph graph(enrolments);
    SpreadState state(graph, start, layout);
    state.initSlots();

    // Late acceptance: a move is kept when it is no worse than the current
    // cost or than the cost this many moves ago.
    constexpr std::size_t history = 5000;
    std::vector<long long> past(history, state.total);
    std::mt19937_64 random(search.seed);
    std::uniform_int_distribution<int> anyPaper(0, enrolments.papers - 1);
    std::uniform_int_distribution<int> anyOtherPeriod(0, periods - 2);
    std::uniform_int_distribution<int> hundred(0, 99);

    const auto began = std::chrono::steady_clock::now();
    Colouring best = state.placement();
    long long bestTotal = state.total;
    const double students = double(std::max<std::size_t>(1, enrolments.students.size()));
    if (search.improved)
        search.improved(double(bestTotal) / students);

    for (long long iteration = 0; search.iterations < 0 || iteration < search.iterations; ++iteration) {
        if ((iteration & 1023) == 0 && iteration > 0) {
            if (state.total < bestTotal) {
                bestTotal = state.total;
                best = state.placement();
                if (search.improved)
                    search.improved(double(bestTotal) / students);
            }
            if (search.cancelled && search.cancelled())
                break;
            if (search.milliseconds >= 0
                && std::chrono::steady_clock::now() - began >= std::chrono::milliseconds(search.milliseconds))
                break;
        }
        long long delta = 0;
        const bool exchange = hundred(random) < 5;
        const int v = anyPaper(random);
        const int from = state.current()[v];
        int other = anyOtherPeriod(random);
        if (other >= from)
            ++other;
        if (exchange) {
            delta = state.swapDelta(from, other);
            const long long next = state.total + delta;
            if (delta <= 0 || next <= past[iteration % history])
                state.applySwap(from, other, delta);
        } else if (state.evaluateChain(v, other, search.capacity, delta)) {
            const long long next = state.total + delta;
            if (delta <= 0 || next <= past[iteration % history])
                state.applyChain(from, other, delta);
        }
        past[iteration % history] = state.total;
    }
    if (state.total < bestTotal) {
        bestTotal = state.total;
        best = state.placement();
        if (search.improved)
            search.improved(double(bestTotal) / students);
    }
    return best;
}

QString periodTimeText(const QDate& date, const QString& sitting)
{
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + weekdayNames[date.dayOfWeek() - 1]
        + QLatin1Char(' ') + sitting.trimmed();
}

std::optional<PeriodTime> parsePeriodTime(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}) (星期.) (\\S.*)$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid() || weekdayNames[date.dayOfWeek() - 1] != match.captured(2))
        return std::nullopt;
    return PeriodTime { date, match.captured(3) };
}
