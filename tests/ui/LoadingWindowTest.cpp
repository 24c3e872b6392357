// The Loading window: what it shows, its progress bar, and showing it around a load.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <cmath>
#include <limits>

#include "WindowChecks.h"
#include "ui/Art.h"
#include "ui/TForm3.h"

namespace {

QProgressBar* Bar(TForm3& form) {
    return form.findChild<QProgressBar*>(QStringLiteral("loading_progress"));
}

double Shown(const QProgressBar& bar) {
    return static_cast<double>(bar.value() - bar.minimum()) / (bar.maximum() - bar.minimum());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(LoadingWindow, isAFixedCentredOnTopWindowWithItsMessage) {
    TForm3 form;
    EXPECT_EQ(form.objectName(), "TForm3");
    EXPECT_EQ(form.windowTitle(), "Loading");
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form.minimumSize(), QSize(540, 387));
    EXPECT_EQ(form.maximumSize(), QSize(540, 387));
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_LE((form.frameGeometry().center() - screen.center()).manhattanLength(), 2);

    const auto* label = form.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Loading mod... Please Wait.");
    EXPECT_EQ(label->pos(), QPoint(120, 162));
    EXPECT_EQ(label->font().pixelSize(), 24);

    const QProgressBar* bar = Bar(form);
    ASSERT_NE(bar, nullptr);
    EXPECT_GT(bar->y(), label->geometry().bottom());
    ExpectChildrenApart(form);
}

TEST(LoadingWindow, progressBarFollowsTheFractionClampedToTheBar) {
    TForm3 form;
    QProgressBar* bar = Bar(form);
    ASSERT_NE(bar, nullptr);
    const struct {
        double given;
        double shown;
    } cases[] = {
        {0.5, 0.5},     {0.25, 0.25},        {1.0, 1.0},
        {0.004, 0.0},   {0.006, 0.01},       {-0.3, 0.0},         {1.7, 1.0},
        {0.75, 0.75},   {std::nan(""), 0.0}, {std::numeric_limits<double>::infinity(), 1.0}};
    for (const auto& c : cases) {
        form.SetProgress(c.given);
        // The bar moves in whole percents.
        EXPECT_NEAR(Shown(*bar), c.shown, 1e-9) << "given " << c.given;
    }
}

TEST(LoadingWindow, showForLoadPaintsAtOnceWithAnEmptyBarAndFinishLoadHides) {
    TForm3 form;
    PaintCounter counter;
    form.installEventFilter(&counter);
    form.SetProgress(0.8);  // left over from an earlier load

    form.ShowForLoad();
    EXPECT_TRUE(form.isVisible());
    EXPECT_GT(counter.paints, 0) << "the window must paint before the load starts";
    EXPECT_EQ(Shown(*Bar(form)), 0.0);

    form.SetProgress(0.4);
    EXPECT_NEAR(Shown(*Bar(form)), 0.4, 0.0005);
    form.FinishLoad();
    EXPECT_FALSE(form.isVisible());
    form.ShowForLoad();
    EXPECT_TRUE(form.isVisible());
    form.FinishLoad();
}

TEST(LoadingWindow, yellowMessageOverTheStone) {
    TForm3 form;
    form.ShowForLoad();
    form.SetProgress(0.6);
    const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(540, 387));
    EXPECT_TRUE(shot.save(ScreenshotPath("TForm3.png")));

    const QImage tile = BackgroundTile().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(5, 5), tile.pixel(5, 5));
    EXPECT_EQ(shot.pixel(535, 380), tile.pixel(535 % 105, 380 % 105));
    ExpectYellowTextOverTiles(shot, *form.findChild<QLabel*>(QStringLiteral("Label1")), tile);
    form.FinishLoad();
}

class LoadingWindowFailure : public LoggedWindowTest {};

TEST_F(LoadingWindowFailure, closesWithoutLoggingWhenTheBackgroundFails) {
    TForm3 form;
    form.ShowForLoad();
    form.SetBackground(QPixmap());
    form.grab();
    QApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_THAT(LogText(), ::testing::Not(::testing::HasSubstr("Failure drawing background.")));
}

}  // namespace
