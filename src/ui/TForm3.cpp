#include "ui/TForm3.h"

#include <QColor>
#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <QPalette>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <cmath>

#include "ui/Art.h"
#include "ui/TiledBackground.h"

namespace {
// Whole percents: the bar is a few hundred pixels wide, and each step is drawn at once.
constexpr int kProgressSteps = 100;
}

TForm3::TForm3(QWidget* parent) : QDialog(parent), background_(BackgroundTile()) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Loading"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(540, 387);

    const QLabel* label = AddYellowLabel(this, QStringLiteral("Label1"),
                                         QStringLiteral("Loading mod... Please Wait."),
                                         QPoint(120, 162), FormFont(24));

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("loading_progress"));
    progress_->setRange(0, kProgressSteps);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    // A dark groove and a gold bar, in the colours of the stone and the text.
    QPalette palette = progress_->palette();
    palette.setColor(QPalette::Base, QColor(28, 24, 20));
    palette.setColor(QPalette::Window, QColor(28, 24, 20));
    palette.setColor(QPalette::Highlight, QColor(214, 172, 66));
    progress_->setPalette(palette);
    progress_->setGeometry(120, label->geometry().bottom() + 16, 300, 18);

    // Centred once, when made; a window the user has moved stays where it was put.
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->availableGeometry()));
}

void TForm3::ShowForLoad() {
    SetProgress(0);
    sinceDrawn_.invalidate();
    show();
    raise();
    QCoreApplication::processEvents();
}

void TForm3::FinishLoad() {
    hide();
}

void TForm3::SetBackground(const QPixmap& tile) {
    background_ = tile;
    update();
}

void TForm3::SetProgress(double fraction) {
    if (!(fraction > 0)) fraction = 0;  // also NaN
    if (fraction > 1) fraction = 1;
    const int value = static_cast<int>(std::lround(fraction * kProgressSteps));
    if (value == progress_->value()) return;
    progress_->setValue(value);
    // Drawn at once, since the load keeps the event loop busy; but not more often than a
    // screen shows it, nor skipping the full bar.
    if (progress_->isVisible() &&
        (!sinceDrawn_.isValid() || sinceDrawn_.elapsed() >= 30 || value == kProgressSteps)) {
        progress_->repaint();
        sinceDrawn_.start();
    }
}

void TForm3::paintEvent(QPaintEvent*) {
    // The load goes on without the window; it only takes itself away.
    if (PaintTiledBackground(*this, background_))
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}
