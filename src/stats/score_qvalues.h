// Benjamini-Hochberg q-values of a scan's windows without keeping a p-value
// per window: the windows are counted by score, and all windows of one score
// share one p-value, so the q-values follow from the counts. Windows that
// were not counted (those below a scan's floor) enter as p = 1: every
// q-value is then at least the exact one, and equal to it whenever it is at
// most the largest p-value counted (the terms of uncounted windows, p m /
// rank with p above that bound and rank at most m, all exceed the bound).
#pragma once

#include <vector>

namespace stats {

// Group g stands for counts[g] tests of p-value p[g]; `tests` is the number
// of all tests (at least the sum of the counts), those outside the groups
// taking p = 1. Returns the q-value of each group, in the order given: the
// least p' m / n' over the groups of p' >= p[g], with n' the number of tests
// of p-value at most p', capped at 1. Groups may share a p-value.
std::vector<double> groupedBenjaminiHochberg(const std::vector<double>& p, const std::vector<long long>& counts,
                                             long long tests);

}  // namespace stats
