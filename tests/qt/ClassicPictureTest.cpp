// The renderer's classic picture against the window's own pic1: the same figure,
// parameters and pass colours, the same points, pixel for pixel. pic1 is the
// window's picture surface at the size and extents the resize handler gives it.
#include <gtest/gtest.h>

#include "app/CommandTables.h"
#include "app/Form.h"
#include "platform/QtSurface.h"
#include "render/Drawing.h"
#include "support/ScriptedPlatform.h"

namespace quillon {
namespace {

struct Stop {};

// The scripted platform with pic1 as the window's surface.
class PicturePlatform : public testing::ScriptedPlatform {
public:
    PicturePlatform(QSize size, double scaleWidth, double scaleHeight)
    {
        setScale(scaleWidth, scaleHeight);
        picture.resizePixels(size);
        picture.setScaleWidth(scaleWidth);
        picture.setScaleHeight(scaleHeight);
        recordPoints = false;
        recordOthers = false;
        answerDefaults = true;
    }
    void clear(Surface surface) override
    {
        if (surface == Surface::Picture)
            picture.clear();
    }
    void setPoint(Surface surface, float x, float y, Rgb color) override
    {
        if (surface == Surface::Picture)
            picture.setPoint<false>(x, y, color);
    }
    QtSurface picture;
};

TEST(ClassicPicture, EqualsTheWindowsPic1PixelForPixel)
{
    // One figure of every family, with its prompts' defaults; pic1 as a window of
    // 1024 x 768 drawing pixels under a menu bar leaves it.
    const char* const figures[] = {"mnuHenon", "mnuHop1", "mnuMartin", "mnuThreeply", "mnuE1",
                                   "mnuCrown",  "mnuDIA",  "mnuSierpi", "mnuLOR"};
    const QSize pic1(1028, 791);
    const uint64_t points = 60'000;
    const uint32_t seed = 321;
    for (const char* item : figures) {
        SCOPED_TRACE(item);
        PicturePlatform window(pic1, 15360, 11520);
        Form form(window);
        form.rnd().reseed(seed);
        form.randomMode = 1;
        window.at(points, [] { throw Stop{}; });
        const MenuEntry* entry = nullptr;
        for (const MenuEntry& e : menuTable())
            if (std::string(e.name) == item)
                entry = &e;
        ASSERT_NE(entry, nullptr);
        EXPECT_THROW(form.run(entry->handler), Stop);

        const render::RenderFigure* figure = nullptr;
        for (const render::RenderFigure& f : render::renderFigures())
            if (f.item == item)
                figure = &f;
        ASSERT_NE(figure, nullptr);
        render::ClassicRequest request{.choice = render::chooseFigure(figure->name, {}),
                                       .framing = {.width = pic1.width(), .height = pic1.height()},
                                       .points = points,
                                       .seed = seed};
        const render::ClassicPicture drawn = render::drawClassic(request);
        EXPECT_EQ(drawn.caption, window.currentCaption);
        ASSERT_EQ(drawn.width, pic1.width());
        ASSERT_EQ(drawn.height, pic1.height());
        const QImage& image = window.picture.image();
        int lit = 0, differ = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const Rgb want = image.pixel(x, y) & 0xFFFFFFu;
                lit += want != 0;
                differ += drawn.pixels[static_cast<size_t>(y) * drawn.width + x] != want;
            }
        EXPECT_GT(lit, 200);
        EXPECT_EQ(differ, 0);
    }
}

}  // namespace
}  // namespace quillon
