// Art: the editor's own pictures and the look of the text drawn over them.
//
// Every picture is painted here in code, so the same build always makes the same pixels and
// the program carries no image files. The pixmap functions keep their result in
// QPixmapCache and need a QGuiApplication; the Make* functions paint a fresh image each call.
#pragma once

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QString>

class QLabel;
class QWidget;

inline constexpr int kBackgroundTileSize = 105;
inline constexpr int kEditionImageWidth = 240;
inline constexpr int kEditionImageHeight = 60;

// The stone every window is tiled with: dark enough for yellow text, seamless at its edges.
QPixmap BackgroundTile();
QImage MakeBackgroundTile();

// The banners of the mod panel: "Sundered Crowns" (the base game, control dsc_image) and
// "Ashen Tithe" (the expansion, control dat_image).
QPixmap DscImage();
QPixmap DatImage();

// The program's icon, drawn for each of the usual sizes.
QIcon ProgramIcon();

// The windows' text face: 8 point "MS Sans Serif", or the system's sans serif where that
// font is missing.
QFont FormFont();
// The same face at a size in pixels (the windows' 24-pixel headlines).
QFont FormFont(int pixelSize);

// The face of the main window's editing area: DejaVu Sans at 11 pixels, the same on every
// machine (Debian's stock desktop face), for which the frames of the editing area are sized.
QFont EditingFont();

// A label in the windows' yellow on no background of its own, placed at pos and sized to
// its text.
QLabel* AddYellowLabel(QWidget* parent, const QString& objectName, const QString& text, QPoint pos,
                       const QFont& font = FormFont());
