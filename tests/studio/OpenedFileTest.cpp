// File > Open: pictures, videos and counts files the programs wrote give back
// the figure, view and look they were made of; caption files their captions;
// anything else a message that says what the studio opens.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "render/engine/CountsRender.h"
#include "render/image/PngFile.h"
#include "render/image/UsageError.h"
#include "render/video/Video.h"
#include "studio/OpenedFile.h"
#include "studio/StudioModel.h"
#include "support/InTempDirectory.h"

namespace quillon::studio {
namespace {

using namespace render;

// Lozi at a view of its own, in a look other than the defaults.
RenderSettings written()
{
    StudioModel model;
    model.setFigure(findFigure("Lozi"));
    model.setValue(0, 1.65);
    model.setSeed(9);
    model.setView(View{0.125, -0.25, 2.5});
    model.setTone("flame");
    model.setPalette("viridis");
    model.setBackground("#102030");
    return model.pictureSettings(framingOfSize(64, 48), 20'000, 1);
}

TEST(OpenedFile, FilesTheProgramsWroteGiveBackTheirFigureViewAndLook)
{
    testing::InTempDirectory here;
    const RenderSettings s = written();
    renderToFile(s, "picture.png");
    VideoSettings video;
    video.seconds = 0.2;
    video.fps = 10;
    video.motion.morphs = {{"a", 1.6, 1.7}};
    makeVideo(s, video, "video.mp4");
    renderKeepingCounts(s, "", "counts.exr");
    testing::saveBytes("captions.txt", "Henon      a = 1.2   b = 0.25\r\n\n  \nLozi      a = 1.7   b = 0.5\n");

    struct Case {
        const char* path;
        FileKind kind;
        bool video;
    };
    for (const Case& c : {Case{"picture.png", FileKind::Picture, false}, Case{"video.mp4", FileKind::Video, true},
                          Case{"counts.exr", FileKind::Counts, false}}) {
        SCOPED_TRACE(c.path);
        const OpenedFile opened = readOpenedFile(c.path);
        EXPECT_EQ(opened.kind, c.kind);
        StudioModel shown;
        shown.setPicture(opened.settings);
        StudioModel original;
        original.setPicture(s);
        EXPECT_EQ(shown.place(), original.place());
        EXPECT_EQ(opened.settings.tone, "flame");
        EXPECT_EQ(opened.settings.palette, "viridis");
        EXPECT_EQ(opened.settings.background, "#102030");
        ASSERT_EQ(opened.video.has_value(), c.video);
        if (c.video) {
            EXPECT_EQ(opened.video->motion, video.motion);
        }
    }
    const OpenedFile captions = readOpenedFile("captions.txt");
    EXPECT_EQ(captions.kind, FileKind::Captions);
    EXPECT_EQ(captions.captions,
              (std::vector<std::string>{"Henon      a = 1.2   b = 0.25", "Lozi      a = 1.7   b = 0.5"}));
}

TEST(OpenedFile, FilesNotOursAreRefusedSayingWhatOpens)
{
    testing::InTempDirectory here;
    writePng("foreign.png", Image::blank(4, 4, 8), {});
    testing::saveBytes("binary.dat", std::string("\x01\x02\x00\x03 not text", 14));
    testing::saveBytes("blank.txt", "\n   \n");
    testing::saveBytes("short.mp4", std::string("\0\0\0\x18" "ftypisom", 12));
    testing::saveBytes("short.exr", "\x76\x2f\x31\x01");
    struct Case {
        const char* path;
        const char* told;  // a part of the message
    };
    const Case cases[] = {
        {"missing.png", "cannot read \"missing.png\""},
        {"foreign.png", "QUILLON's programs did not make"},
        {"binary.dat", "counts file (.exr)"},
        {"blank.txt", "holds no caption"},
        {"short.mp4", "short.mp4"},
        {"short.exr", "short.exr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            readOpenedFile(c.path);
            ADD_FAILURE() << "opened";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.told), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace quillon::studio
