#pragma once

#include "periods/Colouring.h"
#include "periods/Enrolments.h"
#include "time/PeriodLayout.h"

#include <vector>

// How far apart two papers still weigh on each other, and the weight of
// two papers `distance` positions apart: 16, 8, 4, 2, 1 for 1..5, otherwise 0.
constexpr int proximityReach = 5;
constexpr int proximityWeights[proximityReach + 1] = { 0, 16, 8, 4, 2, 1 };

inline int proximityWeight(int distance)
{
    distance = distance < 0 ? -distance : distance;
    return distance <= proximityReach ? proximityWeights[distance] : 0;
}

// The students' papers as a weighted conflict graph in flat arrays: for
// paper v its neighbours are to[start[v] .. start[v+1]), each with the
// number of students who sit both.
struct WeightedGraph {
    std::vector<int> start;
    std::vector<int> to;
    std::vector<int> shared;
    std::vector<int> size; // students per paper

    explicit WeightedGraph(const Enrolments& enrolments);
};

// The spread's working placement with what makes a move cheap to judge:
// for every paper and period the cost the paper would pay there given all
// the others (its penalty) and how many of its neighbours sit there, kept
// up to date move by move, and the students shared by every two periods
// (so two periods can exchange places in O(K)).
//
// The layout may put several periods at one position (periods sat at one
// time): they lie zero positions apart and weigh nothing on each other, as
// proximityCost counts them, so total() always equals the cost of the
// placement computed afresh. Positions are not negative.
class SpreadState {
public:
    SpreadState(const WeightedGraph& graph, const Colouring& start, const PeriodLayout& layout);

    int periods() const { return periodCount; }
    int periodOf(int paper) const { return placement_[paper]; }
    const Colouring& placement() const { return placement_; }
    // The proximity cost times the number of students.
    long long total() const { return total_; }
    long long load(int period) const { return load_[period]; }
    int penalty(int paper, int period) const { return penalty_[index(paper, period)]; }
    bool meetsNobodyIn(int paper, int period) const { return neighbours_[index(paper, period)] == 0; }

    // The Kempe chain of `paper` between its period and `other`: the papers
    // that must change sides with it so that no clash arises (just `paper`
    // when it meets nobody in `other`).
    struct Chain {
        int from = 0;
        int other = 0;
        long long delta = 0;        // change of total() when it moves
        long long toOther = 0;      // candidates it takes from `from` to `other`
        long long toFrom = 0;       // and back
    };
    Chain chain(int paper, int other);
    // The papers of the chain last found by chain().
    const std::vector<int>& chainMembers() const { return members; }
    // Moves the chain last found by chain().
    void apply(const Chain& chain);

    // What exchanging all papers of two periods changes in total().
    long long exchangeDelta(int a, int b) const;
    void exchange(int a, int b, long long delta);

private:
    std::size_t index(int paper, int period) const { return std::size_t(paper) * periodCount + period; }
    int weight(int a, int b) const;
    void move(int paper, int next);
    void addPenalty(int* row, int period, int weighted);

    const WeightedGraph& graph;
    int periodCount;
    std::vector<int> position;
    // The periods at position + proximityReach are periodsAt[firstAt[i] .. firstAt[i + 1]).
    std::vector<int> firstAt;
    std::vector<int> periodsAt;
    Colouring placement_;
    long long total_ = 0;
    std::vector<long long> load_;
    std::vector<long long> between; // K x K shared students
    std::vector<int> penalty_;      // papers x K
    std::vector<int> neighbours_;   // papers x K
    std::vector<char> inChain;
    std::vector<int> members;
};
