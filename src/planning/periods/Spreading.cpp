#include "periods/Spreading.h"
#include "periods/RuleTracker.h"
#include "periods/SpreadState.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <ctime>
#include <map>
#include <random>

namespace {

// How far the search has come through its budget: by iterations when they
// bound it (so a budget gives the same run every time), else by time. With
// no bound at all the cooling starts again every `unboundedCycle` moves.
// The budget holds two coolings: a quick one, so that a good placement
// comes early, and a long one from the top again over the rest.
class Budget {
public:
    explicit Budget(const SpreadSearch& search)
        : search(search), began(now()),
          quick(search.iterations < 0 && search.milliseconds > 0
                    ? std::min(quickShare, double(quickMilliseconds) / search.milliseconds)
                    : quickShare)
    {
    }

    bool spent(long long iteration) const
    {
        return (search.iterations >= 0 && iteration >= search.iterations)
            || (search.milliseconds >= 0 && now() - began >= std::chrono::milliseconds(search.milliseconds));
    }

    // How far the current cooling has come, 0..1.
    double cooling(long long iteration) const
    {
        const double used = fraction(iteration);
        return used < quick ? used / quick : (used - quick) / (1 - quick);
    }

private:
    static constexpr long long unboundedCycle = 200'000'000;
    // The quick cooling takes a tenth of the budget, at most four seconds.
    static constexpr double quickShare = 0.1;
    static constexpr int quickMilliseconds = 4000;

    double fraction(long long iteration) const
    {
        if (search.iterations > 0)
            return double(iteration) / double(search.iterations);
        if (search.milliseconds > 0)
            return std::min(1.0, double((now() - began).count()) / 1e6 / search.milliseconds);
        return double(iteration % unboundedCycle) / double(unboundedCycle);
    }

    std::chrono::nanoseconds now() const
    {
        if (search.clock == SpreadSearch::Clock::ThreadCpu) {
            timespec spent {};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &spent);
            return std::chrono::seconds(spent.tv_sec) + std::chrono::nanoseconds(spent.tv_nsec);
        }
        return std::chrono::steady_clock::now().time_since_epoch();
    }

    const SpreadSearch& search;
    std::chrono::nanoseconds began;
    double quick; // the share of the budget for the quick cooling
};

// With a capacity, a move may not put more candidates in a period than it
// allows, unless the period had more before and loses some.
bool fits(const SpreadState& state, const SpreadState::Chain& chain, const std::optional<int>& capacity)
{
    if (!capacity)
        return true;
    const long long gain = chain.toFrom - chain.toOther;
    const long long from = state.load(chain.from) + gain;
    const long long other = state.load(chain.other) - gain;
    return (from <= *capacity || gain <= 0) && (other <= *capacity || gain >= 0);
}

// Simulated annealing over Kempe chains (mostly single papers) and period
// exchanges; in each cooling the temperature falls geometrically from `hot`
// to `cold`.
class Annealing {
public:
    Annealing(SpreadState& state, const SpreadSearch& search, RuleTracker* rules)
        : state(state), search(search), rules(rules), random(search.seed),
          anyPaper(0, int(state.placement().size()) - 1), anyOtherPeriod(0, state.periods() - 2)
    {
        const double typical = typicalWorsening();
        hot = typical * 0.2;
        cold = typical * 0.0005;
        temperature = hot;
    }

    void cool(double fraction) { temperature = hot * std::pow(cold / hot, fraction); }

    void step()
    {
        const int paper = pickPaper();
        const int other = otherPeriod(state.periodOf(paper));
        if (const int mend = mendingPeriod(paper); mend >= 0) {
            const SpreadState::Chain chain = state.chain(paper, mend);
            if (fits(state, chain, search.capacity) && acceptsWithRules(chain.delta, state.chainMembers(), chain.from, chain.other))
                state.apply(chain);
            return;
        }
        if (unit(random) < exchangeShare) {
            const int from = state.periodOf(paper);
            const long long delta = state.exchangeDelta(from, other);
            if (!rules) {
                if (accepts(delta))
                    state.exchange(from, other, delta);
                return;
            }
            papersIn.clear();
            for (int v = 0; v < int(state.placement().size()); ++v)
                if (state.periodOf(v) == from || state.periodOf(v) == other)
                    papersIn.push_back(v);
            if (acceptsWithRules(delta, papersIn, from, other))
                state.exchange(from, other, delta);
            return;
        }
        const bool single = unit(random) >= chainShare;
        const SpreadState::Chain chain = state.chain(paper, single ? freePeriod(paper, other) : other);
        if (!fits(state, chain, search.capacity))
            return;
        if (rules ? acceptsWithRules(chain.delta, state.chainMembers(), chain.from, chain.other) : accepts(chain.delta))
            state.apply(chain);
    }

private:
    static constexpr double exchangeShare = 0.01;
    // While rules are broken, a move that breaks k more is taken with
    // probability exp(-k / repairTemperature), whatever it does to the cost:
    // rarely, but often enough to leave a dead end.
    static constexpr double repairTemperature = 0.3;
    // While rules are broken, the papers tried before settling for one
    // that breaks none.
    static constexpr int repairTries = 8;
    // Kempe chains cost a walk through the papers of two periods; a single
    // paper's move costs a look-up, so most moves are single.
    static constexpr double chainShare = 0.2;

    // A random period where `paper` meets nobody (other than its own), or
    // `fallback` when there is none.
    int freePeriod(int paper, int fallback)
    {
        const int from = state.periodOf(paper);
        int count = 0;
        for (int p = 0; p < state.periods(); ++p)
            count += p != from && state.meetsNobodyIn(paper, p);
        if (count == 0)
            return fallback;
        int pick = std::uniform_int_distribution<int>(0, count - 1)(random);
        for (int p = 0;; ++p)
            if (p != from && state.meetsNobodyIn(paper, p) && pick-- == 0)
                return p;
    }

    // Any paper; while rules are broken, preferably one that breaks one,
    // since moving the others rarely mends anything.
    int pickPaper()
    {
        int paper = anyPaper(random);
        if (rules && rules->hard() > 0)
            for (int tries = 1; tries < repairTries && !rules->breaks(paper); ++tries)
                paper = anyPaper(random);
        return paper;
    }

    // While rules are broken, a period that mends a rule of `paper`: one it
    // may take when it sits where it may not, its partner's when they should
    // sit together; -1 when there is none to mend. A random period would
    // seldom be the one.
    int mendingPeriod(int paper)
    {
        if (!rules || rules->hard() == 0)
            return -1;
        const SpreadRules& given = *search.rules;
        const int from = state.periodOf(paper);
        if (paper < int(given.allowed.size()) && !given.allowed[paper].empty() && !given.allowed[paper][from]) {
            const std::vector<char>& row = given.allowed[paper];
            const int count = int(std::count(row.begin(), row.end(), 1));
            if (count == 0)
                return -1;
            int pick = std::uniform_int_distribution<int>(0, count - 1)(random);
            for (int p = 0;; ++p)
                if (row[p] && pick-- == 0)
                    return p;
        }
        for (const auto& [a, b] : given.together)
            if ((a == paper || b == paper) && state.periodOf(a) != state.periodOf(b))
                return state.periodOf(a == paper ? b : a);
        return -1;
    }

    int otherPeriod(int from)
    {
        const int other = anyOtherPeriod(random);
        return other >= from ? other + 1 : other;
    }

    bool accepts(long long delta)
    {
        return delta <= 0 || unit(random) < std::exp(-double(delta) / temperature);
    }

    bool takes(long long delta, long long hardChange, long long outsideChange, bool kept)
    {
        // A paper that sits where it may stays there: papers fixed to a
        // time would otherwise be pushed out by chains mending the limits
        // and seldom find their way back.
        if (outsideChange > 0)
            return false;
        // Before every rule is kept the cost is worth nothing: the search
        // wanders freely among placements that break as many.
        if (hardChange == 0)
            return !kept || accepts(delta);
        if (hardChange < 0)
            return true;
        return !kept && unit(random) < std::exp(-double(hardChange) / repairTemperature);
    }

    // The rules' account follows the move at once and goes back when the
    // move is not taken. Once every hard rule is kept no move may break
    // one again; before that, the search only mends them.
    bool acceptsWithRules(long long delta, const std::vector<int>& papers, int a, int b)
    {
        const bool kept = rules->hard() == 0;
        const RuleTracker::Change change = rules->swap(papers, a, b);
        if (takes(delta + change.soft, change.hard, change.outside, kept))
            return true;
        rules->swap(papers, a, b);
        return false;
    }

    // The mean worsening of random moves from the start, which sets the
    // scale of the temperature.
    double typicalWorsening()
    {
        long long sum = 0, count = 0;
        for (int i = 0; i < 1000; ++i) {
            const int paper = anyPaper(random);
            const long long delta = state.chain(paper, otherPeriod(state.periodOf(paper))).delta;
            if (delta > 0) {
                sum += delta;
                ++count;
            }
        }
        return count > 0 ? double(sum) / double(count) : 1.0;
    }

    SpreadState& state;
    const SpreadSearch& search;
    RuleTracker* rules;
    std::vector<int> papersIn;
    std::mt19937_64 random;
    std::uniform_int_distribution<int> anyPaper;
    std::uniform_int_distribution<int> anyOtherPeriod;
    std::uniform_real_distribution<double> unit { 0.0, 1.0 };
    double hot = 1, cold = 1, temperature = 1;
};
} // namespace

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
    if (enrolments.papers == 0 || layout.position.size() < 2)
        return start;
    const WeightedGraph graph(enrolments);
    SpreadState state(graph, start, layout);
    std::optional<RuleTracker> rules;
    if (search.rules)
        rules.emplace(*search.rules, enrolments, start, layout);
    Annealing annealing(state, search, rules ? &*rules : nullptr);
    const Budget budget(search);

    const auto keeps = [&] { return !rules || rules->hard() == 0; };
    const auto value = [&] { return state.total() + (rules ? rules->soft() : 0); };
    Colouring best = state.placement();
    long long bestTotal = keeps() ? value() : LLONG_MAX;
    const double students = double(std::max<std::size_t>(1, enrolments.students.size()));
    const auto keepIfBetter = [&] {
        if (!keeps() || value() >= bestTotal)
            return;
        bestTotal = value();
        best = state.placement();
        if (search.improved)
            search.improved(double(bestTotal) / students);
    };
    if (search.improved && bestTotal != LLONG_MAX)
        search.improved(double(bestTotal) / students);

    for (long long iteration = 0;; ++iteration) {
        if ((iteration & 1023) == 0) {
            keepIfBetter();
            if (budget.spent(iteration) || (search.cancelled && search.cancelled()))
                break;
            annealing.cool(budget.cooling(iteration));
        }
        annealing.step();
    }
    keepIfBetter();
    return best;
}
