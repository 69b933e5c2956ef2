#include "render/engine/OrbitPlan.h"

#include <algorithm>

namespace quillon::render {

namespace {

// The fixed plan: an orbit per million points, 1 to 256 of them, none longer
// than 2^31 points.
constexpr uint64_t kPointsPerOrbit = 1'000'000;
constexpr uint64_t kMaxOrbits = 256;
constexpr uint64_t kMaxOrbitPoints = uint64_t{1} << 31;

}  // namespace

uint64_t orbitCount(int plan, uint64_t points)
{
    if (plan == kGrowingPlan)
        return (points + kGrowingOrbitLength - 1) / kGrowingOrbitLength;
    const uint64_t orbits = std::clamp<uint64_t>(points / kPointsPerOrbit, 1, kMaxOrbits);
    return std::max(orbits, (points + kMaxOrbitPoints - 1) / kMaxOrbitPoints);
}

uint64_t orbitLength(int plan, uint64_t orbit, uint64_t points)
{
    if (plan == kGrowingPlan) {
        const uint64_t first = orbit * kGrowingOrbitLength;
        return points <= first ? 0 : std::min(kGrowingOrbitLength, points - first);
    }
    const uint64_t orbits = orbitCount(plan, points);
    if (orbit >= orbits)
        return 0;
    return points / orbits + (orbit < points % orbits ? 1 : 0);
}

uint64_t columnLength(int plan, uint64_t column, uint64_t columns, uint64_t points)
{
    if (plan == kGrowingPlan)
        return points / columns + (column < points % columns ? 1 : 0);
    return points / columns;
}

uint32_t orbitSeed(uint32_t seed, uint64_t orbit)
{
    return static_cast<uint32_t>((seed + orbit * 0x9E3779B1ull) & 0xFFFFFFu);
}

double orbitNudge(uint64_t orbit) { return static_cast<double>(orbit) * 1e-9; }

uint64_t shareOf(uint64_t k, uint64_t total, uint64_t count)
{
    return k * (total / count) + (k * (total % count) * 2 + count) / (count * 2);
}

}  // namespace quillon::render
