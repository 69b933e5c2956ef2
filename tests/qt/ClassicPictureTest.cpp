// The renderer's classic picture against the window's own pic1: the same figure,
// parameters and pass colours, the same points, pixel for pixel. pic1 is the
// window's picture surface at the size and extents the resize handler gives it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

#include "app/CommandTables.h"
#include "app/Form.h"
#include "platform/QtSurface.h"
#include "render/engine/Drawing.h"
#include "render/image/PngFile.h"
#include "render/engine/Render.h"
#include "ShownWindow.h"
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
        form.rnd.reseed(seed);
        form.randomMode = 1;
        window.at(points, [] { throw Stop{}; });
        const MenuEntry* entry = nullptr;
        for (const MenuEntry& e : menuTable())
            if (std::string(e.name) == item)
                entry = &e;
        ASSERT_NE(entry, nullptr);
        EXPECT_THROW(form.run(entry->command), Stop);

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

TEST(ClassicPicture, TheWindowsPngSaveIsAPictureTheRendererReplays)
{
    Shown s;
    s.platform.setPoint(Surface::Picture, 3000, 1500, QBColor(12));
    const QString dir = QDir::tempPath() + "/quillon-png-save-test";
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    PictureFacts facts = s.form.pictureFacts();
    facts.caption = "Henon      a = 1.4   b = 0.3";
    facts.figure = "Henon";
    facts.parameters = {{"a", 1.4}, {"b", 0.30000000000000004}};
    const std::string path = (dir + "/figure.Png").toStdString();
    ASSERT_FALSE(s.platform.savePicture(path, facts).has_value());

    std::string error;
    const auto info = render::readPngInfo(path, error);
    ASSERT_TRUE(info) << error;
    const QtSurface& pic1 = s.platform.surface(Surface::Picture);
    EXPECT_EQ(info->width, pic1.pixelSize().width());
    const render::RenderSettings replay = render::settingsFrom(info->text);
    EXPECT_EQ(replay.choice.figure->name, "Henon");
    EXPECT_EQ(replay.choice.values, (std::vector<double>{1.4, 0.30000000000000004}));
    EXPECT_EQ(replay.framing.width, pic1.pixelSize().width());
    EXPECT_EQ(replay.framing.height, pic1.pixelSize().height());
    EXPECT_EQ(replay.framing.frameWidth, static_cast<int>(s.platform.scaleWidth() / 15));

    const render::Image saved = render::readPng(path);
    const QImage& image = pic1.image();
    int differ = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const uint16_t* rgb = saved.at(x, y);
            differ += ((rgb[0] << 16) | (rgb[1] << 8) | rgb[2]) != static_cast<int>(image.pixel(x, y) & 0xFFFFFF);
        }
    EXPECT_EQ(differ, 0);
    QDir(dir).removeRecursively();
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv)
{
    // Headless by default, so the program runs and lists its tests without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
