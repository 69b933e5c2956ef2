// Shared pieces of the map-figure tests: a started form on the scripted platform,
// a trace of two form fields at every yield, the colours a run must draw, and
// where a map point must land on the surfaces.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/Form.h"
#include "runtime/QBColor.h"
#include "runtime/Rnd.h"
#include "support/ScriptedPlatform.h"

namespace quillon::maptest {

using testing::ScriptedPlatform;
using testing::Prompt;
using testing::SurfaceOp;

// Extents of the scripted window's drawing area.
inline constexpr double kSW = 15360;
inline constexpr double kSH = 11520;

struct Traced {
    double u, v;
};

struct Started {
    ScriptedPlatform platform;
    Form form{platform};
    uint32_t seed;
    std::vector<Traced> trace;  // two fields as they stood in each DoEvents call

    explicit Started(uint32_t seedValue = 4242) : seed(seedValue)
    {
        form.Form_Load();
        form.rnd.reseed(seed);
        platform.budget = 200000;
    }
    void userMode() { form.randomMode = 1; }
    void answers(std::initializer_list<const char*> texts)
    {
        for (const char* t : texts)
            platform.answer(std::string(t));
    }
    void resetAt(uint64_t call) { platform.at(call, [this] { form.mnuReset_Click(); }); }
    // Records the two fields in every DoEvents call and presses RESET in call n,
    // after recording.
    void traceUntilReset(double FigureState::* u, double FigureState::* v, uint64_t n)
    {
        platform.onEveryCall([this, u, v, n] {
            trace.push_back({form.*u, form.*v});
            if (platform.doEventsCalls == n)
                form.mnuReset_Click();
        });
    }
};

// The colour index of a pass, drawn as the run protocol draws it.
inline int passColourIndex(Rnd& rnd) { return static_cast<int>(std::floor(rnd.next() * 7.0f)) + 9; }

// The colours of the first passes of a run: `before` draws for the parameters,
// then per pass the colour and `perPass` further draws.
inline std::vector<Rgb> passColours(uint32_t seed, int before, int perPass, int passes)
{
    Rnd rnd(seed);
    for (int k = 0; k < before; ++k)
        rnd.next();
    std::vector<Rgb> out;
    for (int p = 0; p < passes; ++p) {
        out.push_back(QBColor(passColourIndex(rnd)));
        for (int k = 0; k < perPass; ++k)
            rnd.next();
    }
    return out;
}

// Every point of pass p has colour p, the window's and pic1's alike; a pass
// boundary is only proven where two neighbouring passes differ in colour.
inline void expectPasses(const ScriptedPlatform& platform, size_t passLength,
                         const std::vector<Rgb>& colours)
{
    bool boundarySeen = false;
    for (size_t k = 1; k < colours.size(); ++k)
        boundarySeen = boundarySeen || colours[k] != colours[k - 1];
    ASSERT_TRUE(boundarySeen) << "pick a seed whose passes differ in colour";
    for (Surface surface : {Surface::Window, Surface::Picture}) {
        const auto points = platform.pointsOn(surface);
        ASSERT_LE(points.size(), passLength * colours.size());
        for (size_t k = 0; k < points.size(); ++k)
            ASSERT_EQ(points[k].color, colours[k / passLength]) << "point " << k;
    }
}

// X = u * k + extent / q as the surfaces get it.
inline float canvas(double u, double k, double extent, double q)
{
    return static_cast<float>(u * k + extent / q);
}

inline void expectPointAt(const SurfaceOp& p, float x, float y)
{
    EXPECT_NEAR(p.x, x, 0.01);
    EXPECT_NEAR(p.y, y, 0.01);
}

// A value the figure tables give to eight significant digits.
inline void expectDigits(double got, double want, double relative = 1e-7)
{
    EXPECT_NEAR(got, want, relative * std::max(1.0, std::fabs(want)));
}

// No coordinate handed to a surface is infinite or not a number.
inline void expectFinitePoints(const ScriptedPlatform& platform)
{
    for (const SurfaceOp& p : platform.points()) {
        ASSERT_TRUE(std::isfinite(p.x));
        ASSERT_TRUE(std::isfinite(p.y));
    }
}

}  // namespace quillon::maptest
