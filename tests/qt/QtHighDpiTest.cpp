// The Qt adapter on an offscreen screen of two device pixels to a logical pixel
// (QT_SCALE_FACTOR=2): the framing keeps the logical size in 1/1440 inch, the
// surfaces and the saved picture have the device resolution, a point is one
// device pixel. A second screen beside it has twice that ratio.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryFile>

#include "ShownWindow.h"
#include "platform/QtSurface.h"

namespace quillon {
namespace {

constexpr Rgb kBack = 0x000000;

// The coloured pixels' bounding box on a surface, and their number.
struct Drawn {
    QRect box;
    int count = 0;
};
Drawn drawnOn(const QtSurface& surface)
{
    Drawn drawn;
    for (int y = 0; y < surface.pixelSize().height(); ++y)
        for (int x = 0; x < surface.pixelSize().width(); ++x)
            if (surface.pixel(x, y) != kBack) {
                drawn.box |= QRect(x, y, 1, 1);
                ++drawn.count;
            }
    return drawn;
}

TEST(QtHighDpi, TheLogicalFramingInDevicePixels)
{
    Shown s;
    QtWindow& window = s.platform.window();
    ASSERT_EQ(window.devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
    const QtSurface& area = s.platform.surface(Surface::Window);
    const QtSurface& picture = s.platform.surface(Surface::Picture);
    const QSize canvas = window.canvas()->size();  // logical pixels
    const QSize frame = window.frameGeometry().size();

    EXPECT_EQ(area.pixelSize(), canvas * 2);
    EXPECT_EQ(s.platform.scaleWidth(), canvas.width() * 15.0);
    EXPECT_EQ(s.platform.scaleHeight(), canvas.height() * 15.0);
    EXPECT_EQ(s.platform.outerWidth(), frame.width() * 15.0);
    EXPECT_EQ(picture.pixelSize(), frame * 2);
    EXPECT_EQ(picture.scaleWidth(), canvas.width() * 15.0);
    EXPECT_EQ(picture.scaleHeight(), canvas.height() * 15.0);

    // A point is one device pixel: 7.5 units each way. On pic1 the window's
    // extents span the outer size.
    struct Row {
        float x, y;
        QPoint onArea;
    };
    const Row rows[] = {{3000, 1500, {400, 200}}, {7.5f, 7.5f, {1, 1}}, {1507.5f, 757.5f, {201, 101}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.x << ", " << row.y);
        s.form.mnuFIX_Click();  // clears both
        s.platform.setPointOnBoth(row.x, row.y, QBColor(12));
        const QPoint onPicture(static_cast<int>(row.x / 15 * 2 * frame.width() / canvas.width()),
                               static_cast<int>(row.y / 15 * 2 * frame.height() / canvas.height()));
        for (const auto& [surface, at] : {std::pair{&area, row.onArea}, std::pair{&picture, onPicture}}) {
            EXPECT_EQ(surface->pixel(at.x(), at.y()), QBColor(12));
            const Drawn drawn = drawnOn(*surface);
            EXPECT_EQ(drawn.count, 1);
            EXPECT_EQ(drawn.box.topLeft(), at);
        }
    }

    // The drawing area shows its image pixel for pixel.
    s.form.mnuFIX_Click();
    s.platform.setPoint(Surface::Window, 3000, 1500, QBColor(10));
    s.platform.flush();
    const QImage shown = window.canvas()->grab().toImage();
    ASSERT_EQ(shown.size(), canvas * 2);
    EXPECT_EQ(shown.pixel(400, 200) & 0xFFFFFF, QBColor(10));
    for (const QPoint next : {QPoint(401, 200), QPoint(400, 201), QPoint(401, 201), QPoint(399, 199)})
        EXPECT_EQ(shown.pixel(next) & 0xFFFFFF, kBack) << next.x() << ", " << next.y();
}

TEST(QtHighDpi, CirclesAndLinesAtTheirPlaceAndSizeOneDevicePixelWide)
{
    Shown s;
    ASSERT_EQ(s.platform.window().devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
    const QtSurface& area = s.platform.surface(Surface::Window);

    // A radius of 150 units is 20 device pixels.
    s.platform.circle(Surface::Window, 3000, 1500, 150, QBColor(14));
    const Drawn circle = drawnOn(area);
    EXPECT_NEAR(circle.box.left(), 380, 1);
    EXPECT_NEAR(circle.box.right(), 420, 1);
    EXPECT_NEAR(circle.box.top(), 180, 1);
    EXPECT_NEAR(circle.box.bottom(), 220, 1);
    EXPECT_EQ(area.pixel(400, 200), kBack);  // unfilled
    EXPECT_LT(circle.count, 2 * 3.15 * 20 * 1.5);  // an outline one pixel wide

    s.form.mnuFIX_Click();
    s.platform.line(Surface::Window, 1500, 3000, 4500, 3000, QBColor(11));
    const Drawn line = drawnOn(area);
    EXPECT_NEAR(line.box.left(), 200, 1);
    EXPECT_NEAR(line.box.right(), 600, 1);
    EXPECT_NEAR(line.box.top(), 400, 1);
    EXPECT_EQ(line.box.height(), 1);
}

TEST(QtHighDpi, SaveWritesTheDeviceResolution)
{
    Shown s;
    ASSERT_EQ(s.platform.window().devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
    const QString dir = QDir::tempPath() + "/quillon-hidpi-save-test";
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    s.platform.setPoint(Surface::Picture, 3000, 1500, QBColor(12));
    const std::string path = (dir + "/figure.BMP").toStdString();
    ASSERT_FALSE(s.platform.savePicture(path, {}).has_value());
    const QImage saved(QString::fromStdString(path));
    EXPECT_EQ(saved.size(), s.platform.window().frameGeometry().size() * 2);
    const QtSurface& picture = s.platform.surface(Surface::Picture);
    EXPECT_EQ(saved.size(), picture.pixelSize());
    const Drawn drawn = drawnOn(picture);
    ASSERT_EQ(drawn.count, 1);
    EXPECT_EQ(saved.pixel(drawn.box.topLeft()) & 0xFFFFFF, QBColor(12));
    QDir(dir).removeRecursively();
}

TEST(QtHighDpi, AMoveToAScreenOfAnotherRatioTakesItsResolution)
{
    Shown s;
    QtWindow& window = s.platform.window();
    ASSERT_EQ(window.devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    ASSERT_EQ(screens[1]->devicePixelRatio(), 4.0);
    const QtSurface& area = s.platform.surface(Surface::Window);
    s.platform.setPoint(Surface::Window, 3000, 1500, QBColor(12));  // (400, 200) at ratio 2

    window.move(screens[1]->geometry().topLeft() + QPoint(40, 40));
    Shown::settle();
    ASSERT_EQ(window.devicePixelRatioF(), 4.0);
    const QSize canvas = window.canvas()->size();
    EXPECT_EQ(area.pixelSize(), canvas * 4);
    EXPECT_EQ(s.platform.surface(Surface::Picture).pixelSize(), window.frameGeometry().size() * 4);
    EXPECT_EQ(s.platform.scaleWidth(), canvas.width() * 15.0);

    // What was drawn keeps its place; a new point is one pixel of the new screen.
    for (const QPoint old : {QPoint(800, 400), QPoint(801, 401)})
        EXPECT_EQ(area.pixel(old.x(), old.y()), QBColor(12)) << old.x() << ", " << old.y();
    s.platform.setPoint(Surface::Window, 1500, 750, QBColor(10));
    EXPECT_EQ(area.pixel(400, 200), QBColor(10));
    EXPECT_EQ(area.pixel(401, 200), kBack);
    EXPECT_EQ(area.pixel(400, 201), kBack);
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv)
{
    // Two offscreen screens side by side, the second of twice the first's ratio.
    // A file of this process's own: the tests run side by side, each in a
    // process, and one must not read the file while another rewrites it.
    QTemporaryFile config(QDir::tempPath() + "/quillon-hidpi-screens-XXXXXX.json");
    if (!config.open())
        return 1;
    config.write(R"({ "screens": [
        { "name": "first", "x": 0, "y": 0, "width": 2000, "height": 1600, "dpr": 1 },
        { "name": "second", "x": 2000, "y": 0, "width": 4000, "height": 3200, "dpr": 2 } ] })");
    config.flush();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.fileName()).toLocal8Bit());
    // Every expectation here is at ratio 2, whatever scaling the caller's session has.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
