// The About window: its texts, showing it again, and a background that cannot be drawn.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>

#include "WindowChecks.h"
#include "mods/ModProject.h"
#include "ui/Art.h"
#include "ui/TForm4.h"

namespace {

struct LabelCase {
    const char* name;
    const char* text;  // null: made at build time, checked below
    QPoint pos;
    int pixelSize;  // 0: the windows' 8-point face
};

const LabelCase kLabels[] = {
    {"Label1", "Brix , The Dravik Mod Maker", {20, 16}, 24},
    {"Label2",
     "This program generates \"mods\", which are files with a .QSX extension that modify",
     {29, 60},
     0},
    {"Label3",
     "the behavior of the games Dravik: Sundered Crowns and Dravik: Ashen Tithe.",
     {29, 80},
     0},
    {"version", nullptr, {31, 110}, 0},
    {"compiled", nullptr, {29, 143}, 0},
};

const QLabel* Label(const TForm4& form, const char* name) {
    return form.findChild<QLabel*>(QString::fromLatin1(name));
}

TEST(AboutWindow, showsTheProgramsNameVersionAndBuild) {
    TForm4 form;
    EXPECT_EQ(form.objectName(), "TForm4");
    EXPECT_EQ(form.windowTitle(), "About Brix");
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form.minimumSize(), QSize(503, 232));
    EXPECT_EQ(form.maximumSize(), QSize(503, 232));
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_LE((form.frameGeometry().center() - screen.center()).manhattanLength(), 2);

    for (const LabelCase& c : kLabels) {
        SCOPED_TRACE(c.name);
        const QLabel* label = Label(form, c.name);
        ASSERT_NE(label, nullptr);
        if (c.text) {
            EXPECT_EQ(label->text(), QString::fromUtf8(c.text));
        }
        EXPECT_EQ(label->pos(), c.pos);
        if (c.pixelSize) {
            EXPECT_EQ(label->font().pixelSize(), c.pixelSize);
        } else {
            EXPECT_EQ(label->font().pointSize(), 8);
        }
    }
    EXPECT_EQ(Label(form, "version")->text(),
              QStringLiteral("Version: ") + QString::fromLatin1(kProgramVersion));
    // "Compiled: 14:31:50 Dec 10 2026"; a day below ten is padded with a space.
    const QRegularExpression compiled(
        QStringLiteral(R"(^Compiled: \d\d:\d\d:\d\d [A-Z][a-z]{2} [ 1-3]\d \d{4}$)"));
    EXPECT_TRUE(compiled.match(Label(form, "compiled")->text()).hasMatch())
        << Label(form, "compiled")->text().toStdString();
    ExpectChildrenApart(form);
}

TEST(AboutWindow, choosingAboutAgainBringsBackTheSameWindowWhereItWas) {
    TForm4 form;
    QPointer<TForm4> guard(&form);
    form.ShowAbout();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    form.move(form.pos() + QPoint(37, -21));
    const QPoint placed = form.pos();
    form.close();
    QApplication::processEvents();
    ASSERT_FALSE(guard.isNull()) << "closing must not delete the window";
    EXPECT_FALSE(form.isVisible());

    form.ShowAbout();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.pos(), placed);
    EXPECT_EQ(Label(form, "version")->text(),
              QStringLiteral("Version: ") + QString::fromLatin1(kProgramVersion));
    form.ShowAbout();  // while open: stays as it is
    EXPECT_EQ(form.pos(), placed);
    form.close();
}

TEST(AboutWindow, yellowTextsOverTheStone) {
    TForm4 form;
    form.ShowAbout();
    const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(503, 232));
    EXPECT_TRUE(shot.save(ScreenshotPath("TForm4.png")));

    const QImage tile = BackgroundTile().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(500, 229), tile.pixel(500 % 105, 229 % 105));
    for (const LabelCase& c : kLabels) ExpectYellowTextOverTiles(shot, *Label(form, c.name), tile);
    form.close();
}

class AboutWindowFailure : public LoggedWindowTest {};

TEST_F(AboutWindowFailure, logsAndClosesWhenTheBackgroundFails) {
    TForm4 form;
    form.ShowAbout();
    QApplication::processEvents();
    EXPECT_THAT(LogText(), ::testing::Not(::testing::HasSubstr("Failure drawing background.")));

    form.SetBackground(QPixmap());
    form.grab();
    QApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_THAT(LogText(), ::testing::HasSubstr("(INFO) : Failure drawing background.\n"));
}

}  // namespace
