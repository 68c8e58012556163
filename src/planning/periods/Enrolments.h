#pragma once

#include <vector>

// Who sits what: for each student the papers (vertices of a conflict
// graph) they sit, each paper once.
struct Enrolments {
    int papers = 0;
    std::vector<std::vector<int>> students;
};
