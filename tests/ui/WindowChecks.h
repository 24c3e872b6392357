// Checks shared by the window tests: how a window's texts look over its background, whether
// its controls keep clear of each other, and where its screenshots go.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>
#include <filesystem>

#include "core/QSError.h"
#include "support/TempDir.h"

// Screenshots go to $BRIX_SCREENSHOT_DIR, else to the test program's build directory, for a
// person to look at; never into whatever directory the test was started from.
#ifndef BRIX_SCREENSHOT_DEFAULT_DIR
#error "BRIX_SCREENSHOT_DEFAULT_DIR must name the test program's build directory"
#endif
inline QString ScreenshotPath(const QString& fileName) {
    const QString dir = qEnvironmentVariableIsEmpty("BRIX_SCREENSHOT_DIR")
                            ? QStringLiteral(BRIX_SCREENSHOT_DEFAULT_DIR)
                            : qEnvironmentVariable("BRIX_SCREENSHOT_DIR");
    return QDir(dir).filePath(fileName);
}

inline bool IsYellow(QRgb c) {
    return qRed(c) >= 200 && qGreen(c) >= 200 && qBlue(c) <= 90;
}

// The part of `child` in the window's screenshot shows yellow text, and around the text
// the window's own tiles (the child paints no background of its own).
inline void ExpectYellowTextOverTiles(const QImage& shot, const QWidget& child,
                                      const QImage& tile) {
    SCOPED_TRACE(child.objectName().toStdString());
    const QRect area = child.geometry();
    int yellow = 0;
    int tilePixels = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = shot.pixel(x, y);
            if (IsYellow(c)) ++yellow;
            if (c == tile.pixel(x % tile.width(), y % tile.height())) ++tilePixels;
        }
    }
    const int pixels = area.width() * area.height();
    EXPECT_GE(yellow, pixels / 50) << "too little yellow in " << pixels << " pixels";
    EXPECT_GE(tilePixels, pixels / 2) << "the background does not show through";
}

// Every child widget lies inside the window and no two of them overlap; a child kept hidden
// (such as a picture the window only paints with) is left out.
inline void ExpectChildrenApart(const QWidget& window) {
    auto children = window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    children.removeIf([](const QWidget* w) { return w->isHidden(); });
    for (qsizetype i = 0; i < children.size(); ++i) {
        const QWidget* a = children[i];
        EXPECT_TRUE(window.rect().contains(a->geometry()))
            << a->objectName().toStdString() << " leaves the window";
        for (qsizetype j = i + 1; j < children.size(); ++j) {
            const QWidget* b = children[j];
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
        }
    }
}

// A log of its own for a test that reads back what a window logged.
class LoggedWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenLog(logPath_)); }
    void TearDown() override { DisableLog(); }
    std::string LogText() const { return ReadFile(logPath_); }

private:
    TempDir dir_;
    std::filesystem::path logPath_ = dir_ / "Brix_log.txt";
};
