// The studio's preview worker and window on the offscreen platform: pictures
// come while counting, a new request replaces the old one, a new look colours
// the same counts again, pictures the programs wrote open as they were made,
// and the preview is drawn in device pixels (two to a logical pixel here).
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

#include <atomic>
#include <functional>
#include <vector>

#include "render/engine/CountsRender.h"
#include "render/engine/Render.h"
#include "render/image/PngFile.h"
#include "studio/ExportDialog.h"
#include "studio/MainWindow.h"
#include "studio/PreviewCanvas.h"
#include "studio/PreviewWorker.h"
#include "studio/RenderCommand.h"
#include "studio/StudioModel.h"
#include "studio/VideoExportDialog.h"
#include "support/InTempDirectory.h"

namespace quillon::studio {
namespace {

using namespace render;

constexpr int kWaitMs = 30000;  // only ever reached when something is broken

RenderSettings preview(StudioModel& model, int width, int height, uint64_t points)
{
    RenderSettings s = model.pictureSettings(framingOfSize(width, height), points, 1);
    s.threads = 2;
    return s;
}

struct Frames {
    std::vector<PreviewFrame> all;
    explicit Frames(PreviewWorker& worker)
    {
        QObject::connect(&worker, &PreviewWorker::frameReady, &worker,
                         [this](const PreviewFrame& frame) { all.push_back(frame); });
    }
    bool done() const { return !all.empty() && all.back().done; }
};

TEST(StudioPreview, CountsToTheBudgetShowingPicturesOnTheWay)
{
    StudioModel model;
    PreviewWorker worker;
    Frames frames(worker);
    const uint64_t generation = worker.recount(preview(model, 160, 120, 2'000'000), 2'000'000, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.done(); }, kWaitMs));
    ASSERT_GE(frames.all.size(), 2u);
    EXPECT_LE(frames.all.front().points, PreviewWorker::kFirstPoints);
    for (const PreviewFrame& f : frames.all) {
        EXPECT_EQ(f.generation, generation);
        EXPECT_EQ(f.image.size(), QSize(160, 120));
    }
    EXPECT_EQ(frames.all.back().points, 2'000'000u);
    EXPECT_GT(frames.all.back().litPixels, 0u);
}

TEST(StudioPreview, ANewRequestReplacesTheCountUnderWay)
{
    StudioModel model;
    PreviewWorker worker;
    Frames frames(worker);
    // Counting on and on until told otherwise.
    worker.recount(preview(model, 160, 120, 1'000'000), 1'000'000, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frames.all.empty(); }, kWaitMs));
    model.setFigure(findFigure("Lozi"));
    const uint64_t second = worker.recount(preview(model, 100, 80, 300'000), 300'000, false);
    frames.all.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.done(); }, kWaitMs));
    for (const PreviewFrame& f : frames.all)
        EXPECT_EQ(f.generation, second);
    EXPECT_EQ(frames.all.back().points, 300'000u);
    EXPECT_EQ(frames.all.back().image.size(), QSize(100, 80));
}

// A classic preview told to stop (a newer request came) stops within the
// first hundredth of its points; one left alone draws what quillon-render draws.
TEST(StudioPreview, AClassicPreviewStopsSoonAfterANewerRequest)
{
    for (const char* name : {"Henon", "Lorenz Orbits (XZ)", "Hopalong"}) {
        SCOPED_TRACE(name);
        StudioModel model;
        model.setFigure(findFigure(name));
        model.setStyle(Style::Classic);
        const RenderSettings s = preview(model, 160, 120, 1'048'576);
        std::atomic<bool> stop{true};
        uint64_t last = 0;
        EXPECT_FALSE(PreviewWorker::drawClassicPreview(s, stop, [&](uint64_t points) { last = points; }));
        EXPECT_LT(last, s.points / 100);
        // Told at its first look.
        stop = false;
        uint64_t first = 0;
        EXPECT_FALSE(PreviewWorker::drawClassicPreview(s, stop, [&](uint64_t points) {
            first = first ? first : points;
            last = points;
            stop = true;
        }));
        EXPECT_EQ(last, first);
        stop = false;
        const std::optional<PreviewFrame> frame = PreviewWorker::drawClassicPreview(s, stop);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->points, s.points);
        EXPECT_EQ(frame->image, PreviewWorker::imageOf(render::render(s).image));
    }
}

// A counts file is shown as quillon-render coloured it, at once and without
// counting; a new look (asked at the window's size, without supersampling)
// colours the file's counts again.
TEST(StudioPreview, ACountsFileIsShownWithoutCountingAgain)
{
    testing::InTempDirectory here;
    StudioModel model;
    model.setFigure(findFigure("Hopalong"));
    model.setColour(OrbitColour::Angle);
    RenderSettings s = model.pictureSettings(framingOfSize(96, 64), 200'000, 2);
    s.threads = 2;
    renderKeepingCounts(s, "kept.png", "kept.exr");
    const auto stored = std::make_shared<const StoredCounts>(readStoredCounts("kept.exr"));
    PreviewWorker worker;
    Frames frames(worker);
    const uint64_t generation = worker.adoptCounts(stored, stored->settings);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.done(); }, kWaitMs));
    ASSERT_EQ(frames.all.size(), 1u);
    EXPECT_EQ(frames.all[0].generation, generation);
    EXPECT_EQ(frames.all[0].points, s.points);
    EXPECT_EQ(frames.all[0].image, PreviewWorker::imageOf(readPng("kept.png")));

    RenderSettings look = preview(model, 300, 200, 1'000'000);
    look.palette = "viridis";
    worker.retone(look);
    frames.all.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.done(); }, kWaitMs));
    s.palette = "viridis";
    EXPECT_EQ(frames.all.back().image, PreviewWorker::imageOf(render::render(readyForFile(s)).image));
}

TEST(StudioPreview, ANewLookColoursTheSameCountsAgain)
{
    StudioModel model;
    PreviewWorker worker;
    Frames frames(worker);
    worker.recount(preview(model, 160, 120, 500'000), 500'000, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.done(); }, kWaitMs));
    const PreviewFrame counted = frames.all.back();
    ASSERT_EQ(model.setPalette("viridis"), Change::Retone);
    frames.all.clear();
    worker.retone(preview(model, 160, 120, 500'000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.done(); }, kWaitMs));
    const PreviewFrame toned = frames.all.back();
    EXPECT_EQ(toned.points, counted.points);
    EXPECT_EQ(toned.generation, counted.generation);
    EXPECT_NE(toned.image, counted.image);
    // The same as counting afresh in the new look.
    DensityCounter counter(countRequest(preview(model, 160, 120, 500'000)));
    counter.countTo(500'000);
    EXPECT_EQ(toned.image, PreviewWorker::pictureOf(counter.grids(), 160, 120, preview(model, 160, 120, 500'000)));
}

TEST(StudioPreview, ALargerBudgetCountsOnFromWhereTheCountStands)
{
    StudioModel model;
    PreviewWorker worker;
    Frames frames(worker);
    const uint64_t generation = worker.recount(preview(model, 120, 90, 1'000'000), 1'000'000, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.done(); }, kWaitMs));
    frames.all.clear();
    worker.countOn(3'000'000, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.done(); }, kWaitMs));
    EXPECT_EQ(frames.all.back().generation, generation);
    EXPECT_EQ(frames.all.back().points, 3'000'000u);
    EXPECT_EQ(frames.all.back().from, 1'000'000u);
    DensityCounter counter(countRequest(preview(model, 120, 90, 3'000'000)));
    counter.countTo(3'000'000);
    EXPECT_EQ(frames.all.back().image,
              PreviewWorker::pictureOf(counter.grids(), 120, 90, preview(model, 120, 90, 3'000'000)));
}

TEST(StudioPreview, ANewLookWhileCountingShowsAndTheCountGoesOn)
{
    StudioModel model;
    PreviewWorker worker;
    Frames frames(worker);
    const uint64_t budget = 20'000'000;
    worker.recount(preview(model, 200, 150, budget), budget, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frames.all.empty(); }, kWaitMs));
    model.setTone("eq");
    model.setPalette("magma");
    worker.retone(preview(model, 200, 150, budget));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.done(); }, kWaitMs));
    EXPECT_EQ(frames.all.back().points, budget);
    // The count stopped and went on is the count at once, in the new look.
    DensityCounter counter(countRequest(preview(model, 200, 150, budget)));
    counter.countTo(budget);
    EXPECT_EQ(frames.all.back().image,
              PreviewWorker::pictureOf(counter.grids(), 200, 150, preview(model, 200, 150, budget)));
}

struct SizeCase {
    int preset;  // an index of sizePresets(), or past them: custom
    int width, height;
};

TEST(StudioExport, EverySizeIsFramedAsQuillonRenderFramesIt)
{
    StudioModel model;
    model.setView(View{0.2, 0.1, 2});
    ExportDialog dialog(model);
    auto* preset = dialog.findChild<QComboBox*>("preset");
    auto* width = dialog.findChild<QSpinBox*>("width");
    auto* height = dialog.findChild<QSpinBox*>("height");
    auto* path = dialog.findChild<QLineEdit*>("path");
    auto* command = dialog.findChild<QPlainTextEdit*>("command");
    ASSERT_TRUE(preset && width && height && path && command);
    path->setText("/tmp/poster.png");
    const int custom = static_cast<int>(sizePresets().size());
    const SizeCase cases[] = {{0, 1920, 1080}, {1, 3840, 2160}, {2, 3508, 2480}, {3, 4961, 3508},
                              {4, 7016, 4961}, {custom, 500, 700}};
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.width);
        preset->setCurrentIndex(c.preset);
        if (c.preset == custom) {
            width->setValue(c.width);
            height->setValue(c.height);
        }
        const RenderSettings s = dialog.settings();
        EXPECT_EQ(s.framing.width, c.width);
        EXPECT_EQ(s.framing.height, c.height);
        EXPECT_EQ(s.framing.frameWidth, 1024);
        EXPECT_EQ(s.view, model.settings().view);
        EXPECT_EQ(command->toPlainText().toStdString(), commandLineText(renderArguments(s, "/tmp/poster.png")));
    }
}

// A quality goal sets the points from the lit share of the preview and the
// size: 100 hits a lit pixel where a quarter is lit, at 1920x1080.
TEST(StudioExport, AQualityGoalSetsThePoints)
{
    testing::InTempDirectory here;
    QSettings().clear();
    StudioModel model;
    ExportDialog dialog(model);
    dialog.findChild<QComboBox*>("preset")->setCurrentIndex(0);
    dialog.findChild<QDoubleSpinBox*>("quality")->setValue(100);
    dialog.findChild<QCheckBox*>("byQuality")->setChecked(true);
    dialog.setLitShare(0.25);
    EXPECT_EQ(dialog.settings().points, 51'840'000u);
    EXPECT_FALSE(dialog.findChild<QDoubleSpinBox*>("points")->isEnabled());
    EXPECT_NE(dialog.findChild<QPlainTextEdit*>("command")->toPlainText().toStdString().find("--points 51840000"),
              std::string::npos);
    dialog.findChild<QCheckBox*>("byQuality")->setChecked(false);
    dialog.findChild<QDoubleSpinBox*>("points")->setValue(3);
    EXPECT_EQ(dialog.settings().points, 3'000'000u);
}

// The video dialog's fields as the user leaves them, and the video that
// quillon-render plans from the command the dialog shows.
struct VideoDialogCase {
    const char* name;
    std::function<void(QDialog&)> set;
    std::function<void(const VideoSettings&, const RenderSettings&)> check;
};

template <typename T>
T* field(QDialog& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(name);
    EXPECT_TRUE(found) << name;
    return found;
}

TEST(StudioExport, TheVideoDialogShowsTheCommandOfTheVideoItMakes)
{
    testing::InTempDirectory here;
    QSettings().clear();
    const VideoDialogCase cases[] = {
        {"a growing video, 64x48, 0.5 s at 12 frames a second",
         [](QDialog& d) {
             field<QComboBox>(d, "preset")->setCurrentIndex(field<QComboBox>(d, "preset")->count() - 1);
             field<QSpinBox>(d, "width")->setValue(64);
             field<QSpinBox>(d, "height")->setValue(48);
             field<QDoubleSpinBox>(d, "seconds")->setValue(0.5);
             field<QDoubleSpinBox>(d, "fps")->setValue(12);
             field<QDoubleSpinBox>(d, "points")->setValue(0.05);
             EXPECT_EQ(field<QLabel>(d, "frames")->text(), "6 frames");
             EXPECT_FALSE(field<QCheckBox>(d, "ease")->isEnabled());
         },
         [](const VideoSettings& v, const RenderSettings& s) {
             EXPECT_EQ(v.frames(), 6u);
             EXPECT_FALSE(v.motion.moving());
             EXPECT_EQ(s.framing.width, 64);
             EXPECT_EQ(s.points, 50'000u);
         }},
        {"a flight, eased, with the caption",
         [](QDialog& d) {
             field<QGroupBox>(d, "flyTo")->setChecked(true);
             field<QDoubleSpinBox>(d, "toX")->setValue(0.5);
             field<QDoubleSpinBox>(d, "toY")->setValue(-0.25);
             field<QDoubleSpinBox>(d, "toZoom")->setValue(16);
             field<QCheckBox>(d, "ease")->setChecked(true);
             field<QCheckBox>(d, "title")->setChecked(true);
             EXPECT_FALSE(field<QCheckBox>(d, "fit")->isEnabled());
         },
         [](const VideoSettings& v, const RenderSettings&) {
             EXPECT_EQ(v.motion.zoomTo, (View{0.5, -0.25, 16}));
             EXPECT_TRUE(v.motion.ease);
             EXPECT_TRUE(v.title);
         }},
        {"both parameters sliding, each frame fitted",
         [](QDialog& d) {
             field<QCheckBox>(d, "slide0")->setChecked(true);
             field<QDoubleSpinBox>(d, "slideTo0")->setValue(1.3);
             field<QCheckBox>(d, "slide1")->setChecked(true);
             field<QDoubleSpinBox>(d, "slideFrom1")->setValue(0.2);
             field<QCheckBox>(d, "fit")->setChecked(true);
             EXPECT_FALSE(field<QGroupBox>(d, "flyTo")->isEnabled());
         },
         [](const VideoSettings& v, const RenderSettings& s) {
             EXPECT_EQ(v.motion.morphs, (std::vector<Morph>{{"a", 1.4, 1.3}, {"b", 0.2, 0.3}}));
             EXPECT_TRUE(v.motion.fitFrames);
             // Fitted to the orbit, not the view shown.
             ASSERT_TRUE(s.view);
             EXPECT_NE(*s.view, (View{0.2, 0.1, 2}));
         }},
    };
    for (const VideoDialogCase& c : cases) {
        SCOPED_TRACE(c.name);
        StudioModel model;  // Henon, a = 1.4, b = 0.3
        model.setView(View{0.2, 0.1, 2});
        VideoExportDialog dialog(model);
        field<QComboBox>(dialog, "preset")->setCurrentIndex(field<QComboBox>(dialog, "preset")->count() - 1);
        field<QSpinBox>(dialog, "width")->setValue(64);
        field<QSpinBox>(dialog, "height")->setValue(48);
        field<QLineEdit>(dialog, "path")->setText("film.mp4");
        c.set(dialog);
        const std::string shown = field<QPlainTextEdit>(dialog, "command")->toPlainText().toStdString();
        EXPECT_EQ(shown, commandLineText(dialog.arguments()));
        const Plan plan = planOfArguments(dialog.arguments());
        ASSERT_TRUE(plan.video);
        EXPECT_EQ(plan.jobs.at(0).path, "film.mp4");
        EXPECT_EQ(plan.video->motion, dialog.video().motion);
        c.check(*plan.video, plan.jobs.at(0).settings);
    }
}

struct OpenCase {
    const char* name;
    const char* figure;
    std::vector<std::string> parameters;
    std::optional<View> view;
    const char* tone;
    const char* palette;
};

TEST(StudioWindow, OpensPicturesTheProgramsWroteAsTheyWereMade)
{
    testing::InTempDirectory here;
    QSettings().clear();  // a first start
    MainWindow window;
    EXPECT_EQ(window.model().figure().name, "Henon");
    const OpenCase cases[] = {
        {"a figure at its defaults", "Lozi", {}, std::nullopt, "log", "ember"},
        {"parameters, a view and a look", "Hopalong", {"a=0.4", "b=1.1"}, View{0.5, -1, 4}, "flame", "viridis"},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        StudioModel written;
        written.setPicture([&] {
            RenderSettings s = written.settings();
            s.choice = chooseFigure(c.figure, c.parameters);
            s.view = c.view;
            return s;
        }());
        written.setTone(c.tone);
        written.setPalette(c.palette);
        RenderSettings s = written.pictureSettings(framingOfSize(64, 48), 10'000, 1);
        renderToFile(s, "picture.png");
        ASSERT_TRUE(window.openPath("picture.png"));
        EXPECT_EQ(window.model().place(), written.place());
        EXPECT_EQ(window.model().settings().tone, c.tone);
        EXPECT_EQ(window.model().settings().palette, c.palette);
    }
    ASSERT_TRUE(window.openCaption("Henon      a = 1.2   b = 0.25"));
    EXPECT_EQ(window.model().settings().choice.values, (std::vector<double>{1.2, 0.25}));
}

TEST(StudioWindow, OpensDrawingInDevicePixels)
{
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    MainWindow window;
    window.resize(900, 600);
    window.show();
    const auto* canvas = window.findChild<PreviewCanvas*>();
    ASSERT_TRUE(canvas);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !canvas->frame().isNull(); }, kWaitMs));
    // Frames of an earlier size may still come in while the window settles.
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas->frame().size() == canvas->size() * 2; }, kWaitMs));
    EXPECT_EQ(canvas->deviceSize(), canvas->size() * 2);
}

}  // namespace
}  // namespace quillon::studio

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Two device pixels to a logical one, as on a high-density screen.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    QApplication::setOrganizationName("QUILLON");
    QApplication::setApplicationName("QUILLON Studio test");
    // Settings and kept pictures of the tests' own, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
