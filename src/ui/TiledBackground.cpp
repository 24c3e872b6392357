#include "ui/TiledBackground.h"

#include <QPainter>
#include <QWidget>

#include "ui/Art.h"

bool PaintTiles(QPainter& painter, const QPixmap& tile, const QSize& area) {
    if (area.isEmpty()) return false;
    if (tile.isNull()) return true;
    bool failed = false;
    for (int y = 0; y < area.height(); y += tile.height()) {
        for (int x = 0; x < area.width(); x += tile.width()) {
            if (!painter.isActive()) {
                failed = true;
                continue;
            }
            painter.drawPixmap(x, y, tile);
        }
    }
    return failed;
}

bool PaintTiledBackground(QWidget& widget, const QPixmap& tile) {
    QPainter painter(&widget);
    return PaintTiles(painter, tile, widget.size());
}

bool PaintTiledBackground(QWidget& widget) {
    return PaintTiledBackground(widget, BackgroundTile());
}
