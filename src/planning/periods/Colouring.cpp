#include "periods/Colouring.h"

#include <algorithm>
#include <random>
#include <unordered_map>

int colourCount(const Colouring& colouring)
{
    Colouring colours = colouring;
    std::sort(colours.begin(), colours.end());
    return int(std::unique(colours.begin(), colours.end()) - colours.begin());
}

bool isProperColouring(const ConflictGraph& graph, const Colouring& colouring)
{
    if (colouring.size() != graph.size())
        return false;
    for (std::size_t v = 0; v < graph.size(); ++v)
        for (int u : graph[v])
            if (colouring[u] == colouring[v])
                return false;
    return true;
}

Colouring dsaturColouring(const ConflictGraph& graph)
{
    const int n = int(graph.size());
    Colouring colour(n, -1);
    // seen[v][c]: neighbours of v coloured c; saturation[v]: distinct colours among them.
    std::vector<std::vector<int>> seen(n);
    std::vector<int> saturation(n, 0);
    for (int step = 0; step < n; ++step) {
        int next = -1;
        for (int v = 0; v < n; ++v) {
            if (colour[v] >= 0)
                continue;
            if (next < 0 || saturation[v] > saturation[next]
                || (saturation[v] == saturation[next] && graph[v].size() > graph[next].size()))
                next = v;
        }
        int c = 0;
        while (c < int(seen[next].size()) && seen[next][c] > 0)
            ++c;
        colour[next] = c;
        for (int u : graph[next]) {
            if (int(seen[u].size()) <= c)
                seen[u].resize(c + 1, 0);
            saturation[u] += seen[u][c]++ == 0;
        }
    }
    return colour;
}

int cliqueLowerBound(const ConflictGraph& graph)
{
    const int n = int(graph.size());
    std::vector<std::vector<bool>> adjacent(n, std::vector<bool>(n, false));
    for (int v = 0; v < n; ++v)
        for (int u : graph[v])
            adjacent[v][u] = true;
    int best = n > 0 ? 1 : 0;
    std::vector<int> candidates, kept;
    for (int start = 0; start < n; ++start) {
        if (int(graph[start].size()) + 1 <= best)
            continue;
        candidates = graph[start];
        int size = 1;
        while (!candidates.empty()) {
            // The candidate adjacent to most of the others keeps most of them.
            int chosen = 0, chosenLinks = -1;
            for (std::size_t i = 0; i < candidates.size(); ++i) {
                int links = 0;
                for (int other : candidates)
                    links += adjacent[candidates[i]][other];
                if (links > chosenLinks) {
                    chosen = int(i);
                    chosenLinks = links;
                }
            }
            const int v = candidates[chosen];
            ++size;
            kept.clear();
            for (int other : candidates)
                if (adjacent[v][other])
                    kept.push_back(other);
            candidates.swap(kept);
            if (size + int(candidates.size()) <= best)
                break;
        }
        best = std::max(best, size);
    }
    return best;
}

namespace {

// Colours renumbered 0..k-1 in order of first use. A start may hold any
// numbers (periods of papers that one vertex joins need not be 0..n-1).
Colouring compacted(const Colouring& colouring)
{
    std::unordered_map<int, int> renumbered;
    Colouring result(colouring.size());
    for (std::size_t v = 0; v < colouring.size(); ++v)
        result[v] = renumbered.try_emplace(colouring[v], int(renumbered.size())).first->second;
    return result;
}

// TabuCol (Hertz and de Werra; Galinier and Hao's tenure) on a fixed number
// of colours: moves one conflicting vertex to another colour, the move that
// removes the most conflicts unless it is tabu, until no edge conflicts.
class TabuCol {
public:
    TabuCol(const ConflictGraph& graph, int colours, Colouring start, std::mt19937_64& random)
        : graph(graph), k(colours), colour(std::move(start)), random(random),
          gamma(graph.size() * colours, 0), tabuUntil(graph.size() * colours, 0), position(graph.size(), -1)
    {
        for (std::size_t v = 0; v < graph.size(); ++v)
            for (int u : graph[v])
                ++gamma[v * k + colour[u]];
        for (std::size_t v = 0; v < graph.size(); ++v) {
            conflicts += gamma[v * k + colour[v]];
            updateConflicted(int(v));
        }
        conflicts /= 2;
        fewestConflicts = conflicts;
    }

    bool solved() const { return conflicts == 0; }
    const Colouring& colouring() const { return colour; }

    void step()
    {
        ++iteration;
        int bestDelta = 0, ties = 0, moveVertex = -1, moveColour = -1;
        for (int v : conflicted) {
            const int* g = &gamma[std::size_t(v) * k];
            const int own = g[colour[v]];
            const long long* tabu = &tabuUntil[std::size_t(v) * k];
            for (int c = 0; c < k; ++c) {
                if (c == colour[v])
                    continue;
                const int delta = g[c] - own;
                if (moveVertex >= 0 && delta > bestDelta)
                    continue;
                if (tabu[c] > iteration && conflicts + delta >= fewestConflicts)
                    continue;
                if (moveVertex < 0 || delta < bestDelta) {
                    bestDelta = delta;
                    ties = 1;
                } else if (random() % ++ties != 0) {
                    continue;
                }
                moveVertex = v;
                moveColour = c;
            }
        }
        if (moveVertex < 0)
            return; // every move is tabu: wait for one to be freed
        move(moveVertex, moveColour);
        conflicts += bestDelta;
        fewestConflicts = std::min(fewestConflicts, conflicts);
    }

private:
    void move(int v, int to)
    {
        const int from = colour[v];
        colour[v] = to;
        for (int u : graph[v]) {
            --gamma[std::size_t(u) * k + from];
            ++gamma[std::size_t(u) * k + to];
            if (colour[u] == from || colour[u] == to)
                updateConflicted(u);
        }
        updateConflicted(v);
        tabuUntil[std::size_t(v) * k + from] = iteration + (long long)(random() % 10) + (6 * (long long)conflicted.size()) / 10;
    }

    void updateConflicted(int v)
    {
        const bool conflicting = gamma[std::size_t(v) * k + colour[v]] > 0;
        if (conflicting && position[v] < 0) {
            position[v] = int(conflicted.size());
            conflicted.push_back(v);
        } else if (!conflicting && position[v] >= 0) {
            const int last = conflicted.back();
            conflicted[position[v]] = last;
            position[last] = position[v];
            conflicted.pop_back();
            position[v] = -1;
        }
    }

    const ConflictGraph& graph;
    const int k;
    Colouring colour;
    std::mt19937_64& random;
    std::vector<int> gamma;            // gamma[v*k+c]: neighbours of v coloured c
    std::vector<long long> tabuUntil;  // v may not take colour c again before this move
    std::vector<int> conflicted;       // vertices sharing a colour with a neighbour
    std::vector<int> position;         // index in conflicted, or -1
    long long iteration = 0;
    long long conflicts = 0;
    long long fewestConflicts = 0;
};

// Moves one attempt on a colour count may take before it starts again from
// the last success with another colour emptied: a search that stalls in one
// region rarely leaves it.
constexpr long long movesPerAttempt = 100000;

// One colour fewer: a colour class (the smallest on the first attempt, then
// one drawn at random) is emptied, each of its vertices taking the colour
// fewest of its neighbours have.
Colouring withoutOneColour(const ConflictGraph& graph, const Colouring& colouring, int colours, bool firstAttempt,
                           std::mt19937_64& random)
{
    std::vector<int> size(colours, 0);
    for (int c : colouring)
        ++size[c];
    const int dropped = firstAttempt ? int(std::min_element(size.begin(), size.end()) - size.begin())
                                     : int(random() % colours);
    Colouring result = colouring;
    for (int& c : result)
        if (c > dropped)
            --c;
    std::vector<int> count(colours - 1);
    for (std::size_t v = 0; v < result.size(); ++v) {
        if (colouring[v] != dropped)
            continue;
        std::fill(count.begin(), count.end(), 0);
        for (int u : graph[v])
            if (colouring[u] != dropped || u < int(v))
                ++count[result[u]];
        int best = 0, ties = 0;
        for (int c = 0; c < colours - 1; ++c) {
            if (c == 0 || count[c] < count[best]) {
                best = c;
                ties = 1;
            } else if (count[c] == count[best] && random() % ++ties == 0) {
                best = c;
            }
        }
        result[v] = best;
    }
    return result;
}

} // namespace

Colouring fewerColours(const ConflictGraph& graph, const Colouring& start, const ColourSearch& search)
{
    Colouring best = dsaturColouring(graph);
    if (isProperColouring(graph, start) && colourCount(start) <= colourCount(best))
        best = compacted(start);
    int colours = colourCount(best);
    if (search.improved)
        search.improved(colours);
    const int bound = cliqueLowerBound(graph);
    std::mt19937_64 random(search.seed);
    long long spent = 0;
    const auto stop = [&] {
        return (search.iterations >= 0 && spent >= search.iterations)
            || (spent % 256 == 0 && search.cancelled && search.cancelled());
    };
    bool firstAttempt = true;
    while (colours > bound && !stop()) {
        TabuCol tabu(graph, colours - 1, withoutOneColour(graph, best, colours, firstAttempt, random), random);
        for (long long moves = 0; !tabu.solved() && moves < movesPerAttempt; ++moves) {
            if (stop())
                return best;
            tabu.step();
            ++spent;
        }
        firstAttempt = tabu.solved();
        if (!tabu.solved())
            continue;
        best = tabu.colouring();
        --colours;
        if (search.improved)
            search.improved(colours);
    }
    return best;
}
