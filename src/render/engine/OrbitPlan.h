// How the points of a density picture are split into orbits: numbered orbits,
// each with a seed and a starting nudge of its own, so that the counts depend
// on the request only, never on the threads or the order they run in.
//
// Two plans: the fixed plan of version 2.1 (as many orbits as the point count
// asks, all of about one length, so a count cannot grow), and the growing plan
// (orbits of one fixed length, numbered on as the count grows, so that N points
// and then M more are exactly N + M points). A picture says which plan made it.
#pragma once

#include <cstdint>

namespace quillon::render {

inline constexpr int kFixedPlan = 1;
inline constexpr int kGrowingPlan = 2;

// The growing plan's orbits: about a million points each.
inline constexpr uint64_t kGrowingOrbitLength = uint64_t{1} << 20;

// The points of orbit k of a map figure's picture of `points`.
uint64_t orbitLength(int plan, uint64_t orbit, uint64_t points);
// How many orbits a picture of `points` has (the last may be short).
uint64_t orbitCount(int plan, uint64_t points);

// The bifurcation diagram's orbits are its columns: the points of column k of
// `columns` in a picture of `points`. The fixed plan gives every column the
// same whole share; the growing one deals the points out a round at a time.
uint64_t columnLength(int plan, uint64_t column, uint64_t columns, uint64_t points);

// The Rnd seed of orbit k (orbit 0 keeps the picture's own sequence), and how
// far from the figure's first point it starts, in map units on both axes.
uint32_t orbitSeed(uint32_t seed, uint64_t orbit);
double orbitNudge(uint64_t orbit);

// round(k * total / count) for k up to count, without overflowing (counts of
// frames stay far below 2^31).
uint64_t shareOf(uint64_t k, uint64_t total, uint64_t count);

}  // namespace quillon::render
