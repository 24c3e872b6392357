#include "ui/TForm4.h"

#include <QLabel>
#include <QMetaObject>
#include <QScreen>
#include <QStyle>

#include "core/QSError.h"
#include "mods/ModProject.h"
#include "ui/Art.h"
#include "ui/TiledBackground.h"

TForm4::TForm4(QWidget* parent) : QDialog(parent), background_(BackgroundTile()) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("About Brix"));
    setWindowIcon(ProgramIcon());
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(503, 232);

    AddYellowLabel(this, QStringLiteral("Label1"), QStringLiteral("Brix , The Dravik Mod Maker"),
                   QPoint(20, 16), FormFont(24));
    AddYellowLabel(this, QStringLiteral("Label2"),
                   QStringLiteral("This program generates \"mods\", which are files with a "
                                  ".QSX extension that modify"),
                   QPoint(29, 60));
    AddYellowLabel(this, QStringLiteral("Label3"),
                   QStringLiteral("the behavior of the games Dravik: Sundered Crowns and "
                                  "Dravik: Ashen Tithe."),
                   QPoint(29, 80));
    AddYellowLabel(this, QStringLiteral("version"),
                   QStringLiteral("Version: ") + QString::fromLatin1(kProgramVersion),
                   QPoint(31, 110));
    // The time and date this file was compiled, as the compiler spells them.
    AddYellowLabel(this, QStringLiteral("compiled"),
                   QStringLiteral("Compiled: ") + QString::fromLatin1(__TIME__) + QLatin1Char(' ') +
                       QString::fromLatin1(__DATE__),
                   QPoint(29, 143));

    // Centred once, when made; afterwards it stays wherever the user puts it.
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->availableGeometry()));
}

void TForm4::ShowAbout() {
    show();
    raise();
    activateWindow();
}

void TForm4::SetBackground(const QPixmap& tile) {
    background_ = tile;
    update();
}

void TForm4::paintEvent(QPaintEvent*) {
    if (PaintTiledBackground(*this, background_)) {
        QSLOG(kLogInfo, "Failure drawing background.");
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}
