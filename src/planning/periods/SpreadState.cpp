#include "periods/SpreadState.h"

#include <algorithm>
#include <map>

WeightedGraph::WeightedGraph(const Enrolments& enrolments)
    : size(enrolments.papers, 0)
{
    std::vector<std::map<int, int>> pairs(enrolments.papers);
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

SpreadState::SpreadState(const WeightedGraph& graph, const Colouring& start, const PeriodLayout& layout)
    : graph(graph), periodCount(int(layout.position.size())), position(layout.position), placement_(start),
      load_(periodCount, 0), between(std::size_t(periodCount) * periodCount, 0),
      penalty_(start.size() * periodCount, 0), neighbours_(start.size() * periodCount, 0), inChain(start.size(), 0)
{
    // Periods by position, with `proximityReach` empty positions either side.
    const int last = *std::max_element(position.begin(), position.end());
    firstAt.assign(last + 2 + 2 * proximityReach, 0);
    for (int p = 0; p < periodCount; ++p)
        ++firstAt[position[p] + proximityReach + 1];
    for (std::size_t at = 1; at < firstAt.size(); ++at)
        firstAt[at] += firstAt[at - 1];
    periodsAt.resize(periodCount);
    std::vector<int> filled(firstAt.begin(), firstAt.end() - 1);
    for (int p = 0; p < periodCount; ++p)
        periodsAt[filled[position[p] + proximityReach]++] = p;
    for (int v = 0; v < int(placement_.size()); ++v) {
        const int p = placement_[v];
        load_[p] += graph.size[v];
        for (int e = graph.start[v]; e < graph.start[v + 1]; ++e) {
            const int w = graph.to[e];
            between[std::size_t(p) * periodCount + placement_[w]] += graph.shared[e];
            if (v < w)
                total_ += graph.shared[e] * weight(p, placement_[w]);
        }
        for (int e = graph.start[v]; e < graph.start[v + 1]; ++e) {
            ++neighbours_[index(graph.to[e], p)];
            addPenalty(&penalty_[index(graph.to[e], 0)], p, graph.shared[e]);
        }
    }
}

int SpreadState::weight(int a, int b) const
{
    return proximityWeight(position[a] - position[b]);
}

// Adds `weighted` times the weight of each distance to the penalties of
// the periods near `period` in a paper's row.
void SpreadState::addPenalty(int* row, int period, int weighted)
{
    const int here = position[period] + proximityReach;
    for (int d = 1; d <= proximityReach; ++d) {
        const int change = weighted * proximityWeights[d];
        for (const int at : { here - d, here + d })
            for (int i = firstAt[at]; i < firstAt[at + 1]; ++i)
                row[periodsAt[i]] += change;
    }
}

void SpreadState::move(int paper, int next)
{
    const int now = placement_[paper];
    for (int e = graph.start[paper]; e < graph.start[paper + 1]; ++e) {
        const int w = graph.to[e];
        const int shared = graph.shared[e];
        --neighbours_[index(w, now)];
        ++neighbours_[index(w, next)];
        int* row = &penalty_[index(w, 0)];
        addPenalty(row, now, -shared);
        addPenalty(row, next, shared);
        const int there = placement_[w];
        between[std::size_t(now) * periodCount + there] -= shared;
        between[std::size_t(there) * periodCount + now] -= shared;
        between[std::size_t(next) * periodCount + there] += shared;
        between[std::size_t(there) * periodCount + next] += shared;
    }
    load_[now] -= graph.size[paper];
    load_[next] += graph.size[paper];
    placement_[paper] = next;
}

SpreadState::Chain SpreadState::chain(int paper, int other)
{
    Chain found;
    found.from = placement_[paper];
    found.other = other;
    members.assign(1, paper);
    if (meetsNobodyIn(paper, other)) {
        found.delta = penalty(paper, other) - penalty(paper, found.from);
        found.toOther = graph.size[paper];
        return found;
    }
    // Each member's penalties count its partners in the chain as if they
    // stayed; they change sides too, so each shared student keeps the
    // distance between the two periods: add that back.
    long long sharedWithin = 0;
    inChain[paper] = 1;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const int u = members[i];
        const int now = placement_[u];
        const int next = now == found.from ? other : found.from;
        found.delta += penalty(u, next) - penalty(u, now);
        (now == found.from ? found.toOther : found.toFrom) += graph.size[u];
        for (int e = graph.start[u]; e < graph.start[u + 1]; ++e) {
            const int w = graph.to[e];
            if (placement_[w] != found.from && placement_[w] != other)
                continue;
            sharedWithin += graph.shared[e];
            if (!inChain[w]) {
                inChain[w] = 1;
                members.push_back(w);
            }
        }
    }
    for (const int u : members)
        inChain[u] = 0;
    found.delta += sharedWithin * weight(found.from, other);
    return found;
}

void SpreadState::apply(const Chain& chain)
{
    for (const int u : members)
        move(u, placement_[u] == chain.from ? chain.other : chain.from);
    total_ += chain.delta;
}

long long SpreadState::exchangeDelta(int a, int b) const
{
    long long delta = 0;
    for (int q = 0; q < periodCount; ++q) {
        if (q == a || q == b)
            continue;
        const long long change = weight(b, q) - weight(a, q);
        delta += (between[std::size_t(a) * periodCount + q] - between[std::size_t(b) * periodCount + q]) * change;
    }
    return delta;
}

void SpreadState::exchange(int a, int b, long long delta)
{
    members.clear();
    for (int v = 0; v < int(placement_.size()); ++v)
        if (placement_[v] == a || placement_[v] == b)
            members.push_back(v);
    for (const int v : members)
        move(v, placement_[v] == a ? b : a);
    total_ += delta;
}
