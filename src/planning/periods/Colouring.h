#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// A conflict graph: for each vertex the vertices it may not share a colour
// with, every edge listed at both ends, no loops, no repeats.
using ConflictGraph = std::vector<std::vector<int>>;

// A colour per vertex, 0-based.
using Colouring = std::vector<int>;

// The number of distinct colours used.
int colourCount(const Colouring& colouring);

// True when no edge joins two vertices of one colour.
bool isProperColouring(const ConflictGraph& graph, const Colouring& colouring);

// DSatur: next the vertex seeing the most distinct colours (then the higher
// degree, then the lower index), given the lowest colour none of its
// neighbours has.
Colouring dsaturColouring(const ConflictGraph& graph);

// The size of a clique found greedily from every vertex (adding the
// candidate with the most neighbours among the remaining candidates): no
// colouring can use fewer colours.
int cliqueLowerBound(const ConflictGraph& graph);

// How a search for fewer colours runs. Everything it decides follows from
// the graph, the start and the seed; only `cancelled` may end it early, so
// the same iteration budget always gives the same result.
struct ColourSearch {
    std::uint64_t seed = 20240611;
    long long iterations = -1; // tabu moves in all, over every colour count; < 0: no bound
    // A proper colouring with this many colours is the best so far; called
    // once for the start and then after each success.
    std::function<void(int colours)> improved;
    // Asked every few hundred moves; true ends the search with the best so far.
    std::function<bool()> cancelled;
};

// The best proper colouring found: the start (when proper) or DSatur,
// whichever has fewer colours, then a tabu search (TabuCol) on one colour
// fewer, again and again while it succeeds and the clique bound allows; a
// stalled attempt starts again from the last success.
// Colours are 0..k-1.
Colouring fewerColours(const ConflictGraph& graph, const Colouring& start, const ColourSearch& search);
