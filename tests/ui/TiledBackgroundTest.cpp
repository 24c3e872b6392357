// The tiling of window backgrounds and the pictures the editor paints for itself.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <vector>

#include "WindowChecks.h"
#include "ui/Art.h"
#include "ui/TiledBackground.h"

namespace {

// A paint device that keeps where each picture was drawn, one entry per drawing call.
class RecordingDevice : public QPaintDevice {
public:
    std::vector<QRect> Drawn() const { return engine_.drawn; }
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 4096;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override {
            drawn.push_back(r.toRect());
        }
        Type type() const override { return User; }
        std::vector<QRect> drawn;
    };
    mutable Engine engine_;
};

QPixmap SolidTile(QSize size) {
    QPixmap tile(size);
    tile.fill(Qt::darkCyan);
    return tile;
}

struct TilingCase {
    QSize area;
    std::vector<QPoint> origins;  // in drawing order
};

class TilingTest : public ::testing::TestWithParam<TilingCase> {};

TEST_P(TilingTest, drawsOneTilePerStepFromTheTopLeft) {
    const TilingCase& c = GetParam();
    RecordingDevice device;
    {
        QPainter painter(&device);
        EXPECT_FALSE(PaintTiles(painter, SolidTile({105, 105}), c.area));
    }
    std::vector<QRect> expected;
    for (QPoint origin : c.origins) expected.emplace_back(origin, QSize(105, 105));
    EXPECT_EQ(device.Drawn(), expected);
}

INSTANTIATE_TEST_SUITE_P(Areas, TilingTest,
                         ::testing::Values(TilingCase{{300, 220},
                                                      {{0, 0},
                                                       {105, 0},
                                                       {210, 0},
                                                       {0, 105},
                                                       {105, 105},
                                                       {210, 105},
                                                       {0, 210},
                                                       {105, 210},
                                                       {210, 210}}},
                                           TilingCase{{105, 105}, {{0, 0}}},
                                           TilingCase{{210, 104}, {{0, 0}, {105, 0}}},
                                           TilingCase{{106, 1}, {{0, 0}, {105, 0}}},
                                           TilingCase{{1, 211}, {{0, 0}, {0, 105}, {0, 210}}},
                                           TilingCase{{0, 50}, {}}));

TEST(TiledBackground, stepsByThePicturesOwnWidthAndHeight) {
    RecordingDevice device;
    {
        QPainter painter(&device);
        EXPECT_FALSE(PaintTiles(painter, SolidTile({40, 30}), QSize(81, 31)));
    }
    const std::vector<QRect> expected = {{0, 0, 40, 30},  {40, 0, 40, 30},  {80, 0, 40, 30},
                                         {0, 30, 40, 30}, {40, 30, 40, 30}, {80, 30, 40, 30}};
    EXPECT_EQ(device.Drawn(), expected);
}

TEST(TiledBackground, everyPixelOfTheAreaShowsTheTileAtItsPlace) {
    QImage pattern(105, 105, QImage::Format_RGB32);
    for (int y = 0; y < 105; ++y)
        for (int x = 0; x < 105; ++x) pattern.setPixel(x, y, qRgb(x, y, 77));
    QImage canvas(300, 220, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        EXPECT_FALSE(PaintTiles(painter, QPixmap::fromImage(pattern), canvas.size()));
    }
    int wrong = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y) != pattern.pixel(x % 105, y % 105)) ++wrong;
    EXPECT_EQ(wrong, 0);
}

TEST(TiledBackground, aNullPictureOrAnIdlePainterIsAFailure) {
    QImage canvas(300, 220, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        EXPECT_TRUE(PaintTiles(painter, QPixmap(), canvas.size()));
    }
    EXPECT_EQ(canvas.pixel(10, 10), qRgb(0, 0, 0));

    QPainter idle;
    EXPECT_TRUE(PaintTiles(idle, SolidTile({105, 105}), QSize(300, 220)));
    // Nothing to draw is nothing that failed.
    EXPECT_FALSE(PaintTiles(idle, SolidTile({105, 105}), QSize(0, 0)));
}

// Relative luminance and contrast ratio as the web's accessibility guidelines define them.
double Luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

TEST(Art, theStoneIsTheSameEveryTimeAndYellowTextReadsOnAllOfIt) {
    const QImage tile = MakeBackgroundTile();
    ASSERT_EQ(tile.size(), QSize(kBackgroundTileSize, kBackgroundTileSize));
    EXPECT_EQ(tile, MakeBackgroundTile());
    EXPECT_EQ(BackgroundTile().toImage().convertToFormat(tile.format()), tile);

    double brightest = 0;
    QRgb first = tile.pixel(0, 0);
    bool varied = false;
    for (int y = 0; y < tile.height(); ++y) {
        for (int x = 0; x < tile.width(); ++x) {
            brightest = std::max(brightest, Luminance(tile.pixel(x, y)));
            varied = varied || tile.pixel(x, y) != first;
        }
    }
    EXPECT_TRUE(varied) << "a flat colour is no texture";
    const double contrast = (Luminance(qRgb(255, 255, 0)) + 0.05) / (brightest + 0.05);
    EXPECT_GE(contrast, 7.0);
}

TEST(Art, editionBannersAndIcon) {
    const QImage dsc = DscImage().toImage();
    const QImage dat = DatImage().toImage();
    EXPECT_EQ(dsc.size(), QSize(kEditionImageWidth, kEditionImageHeight));
    EXPECT_EQ(dat.size(), QSize(kEditionImageWidth, kEditionImageHeight));
    EXPECT_NE(dsc, dat);

    const QIcon icon = ProgramIcon();
    for (int size : {16, 32, 256}) {
        const QPixmap pixmap = icon.pixmap(size);
        ASSERT_FALSE(pixmap.isNull()) << size;
        EXPECT_EQ(pixmap.size(), QSize(size, size));
    }
    EXPECT_TRUE(dsc.save(ScreenshotPath("dsc_image.png")));
    EXPECT_TRUE(dat.save(ScreenshotPath("dat_image.png")));
    EXPECT_TRUE(icon.pixmap(64).save(ScreenshotPath("program_icon.png")));
}

}  // namespace
