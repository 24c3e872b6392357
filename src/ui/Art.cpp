#include "ui/Art.h"

#include <QColor>
#include <QFontMetrics>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmapCache>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>
#include <cstdint>
#include <functional>

namespace {

// --- Stone ------------------------------------------------------------------------------

// A fixed integer hash, so the texture is the same on every machine and every run.
uint32_t Hash(uint32_t x, uint32_t y, uint32_t salt) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ salt * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

double Unit(uint32_t h) {
    return static_cast<double>(h & 0xffffu) / 65535.0;
}

// Value noise whose lattice repeats every `cells` cells across the tile, so the tile's right
// edge continues its left edge (and the bottom its top).
double PeriodicNoise(int x, int y, int cellSize, uint32_t salt) {
    const int cells = kBackgroundTileSize / cellSize;
    const int cx = x / cellSize;
    const int cy = y / cellSize;
    const double fx = static_cast<double>(x % cellSize) / cellSize;
    const double fy = static_cast<double>(y % cellSize) / cellSize;
    auto at = [&](int i, int j) {
        return Unit(Hash(static_cast<uint32_t>(i % cells), static_cast<uint32_t>(j % cells), salt));
    };
    const double sx = fx * fx * (3 - 2 * fx);
    const double sy = fy * fy * (3 - 2 * fy);
    const double top = at(cx, cy) + (at(cx + 1, cy) - at(cx, cy)) * sx;
    const double bottom = at(cx, cy + 1) + (at(cx + 1, cy + 1) - at(cx, cy + 1)) * sx;
    return top + (bottom - top) * sy;
}

// Two courses of blocks per tile, the lower one half a block along. Mortar joints are two
// pixels wide; a joint's coordinates wrap around the tile.
struct Courses {
    static constexpr int kHalf = 52;
    static bool InBedJoint(int y) { return y <= 1 || y == kHalf || y == kHalf + 1; }
    static int Course(int y) { return y < kHalf ? 0 : 1; }
    static int Shift(int course) { return course == 0 ? 0 : 26; }
    static int Along(int x, int course) {
        return (x - Shift(course) + kBackgroundTileSize) % kBackgroundTileSize;
    }
    static bool InHeadJoint(int x, int course) {
        const int a = Along(x, course);
        return a <= 1 || a == kHalf || a == kHalf + 1;
    }
    static int Block(int x, int course) { return Along(x, course) < kHalf ? 0 : 1; }
};

int Clamp255(double v) {
    return std::clamp(static_cast<int>(v + 0.5), 0, 255);
}

// --- Banners ----------------------------------------------------------------------------

// The largest size of `font`, up to maxPixels, that fits `text` into `width`.
QFont FittedFont(QFont font, const QString& text, int width, int maxPixels) {
    for (int px = maxPixels; px > 8; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(text) <= width) return font;
    }
    font.setPixelSize(8);
    return font;
}

QFont BannerFont() {
    QFont font(QStringLiteral("Serif"));
    font.setStyleHint(QFont::Serif, QFont::PreferAntialias);
    font.setBold(true);
    return font;
}

struct BannerStyle {
    QString name;
    QColor top;
    QColor bottom;
    QColor trim;
    QColor text;
    std::function<void(QPainter&, const QRectF&)> emblem;
};

// A crown with a crack down its middle.
void DrawSunderedCrown(QPainter& p, const QRectF& box) {
    const double w = box.width();
    const double h = box.height();
    auto pt = [&](double fx, double fy) {
        return QPointF(box.left() + fx * w, box.top() + fy * h);
    };
    QPolygonF crown;
    crown << pt(0.05, 0.85) << pt(0.05, 0.30) << pt(0.28, 0.55) << pt(0.50, 0.15) << pt(0.72, 0.55)
          << pt(0.95, 0.30) << pt(0.95, 0.85);
    p.setPen(QPen(QColor(120, 90, 30), 1.5));
    p.setBrush(QColor(214, 172, 66));
    p.drawPolygon(crown);
    p.setBrush(QColor(150, 30, 40));
    p.setPen(Qt::NoPen);
    for (double fx : {0.05, 0.50, 0.95}) {
        const double fy = fx == 0.50 ? 0.15 : 0.30;
        p.drawEllipse(pt(fx, fy), w * 0.06, w * 0.06);
    }
    QPolygonF crack;
    crack << pt(0.50, 0.30) << pt(0.44, 0.48) << pt(0.55, 0.62) << pt(0.47, 0.86);
    p.setPen(QPen(QColor(16, 22, 44), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(crack);
}

// A flame over a heap of ash.
void DrawAshenFlame(QPainter& p, const QRectF& box) {
    const double w = box.width();
    const double h = box.height();
    auto pt = [&](double fx, double fy) {
        return QPointF(box.left() + fx * w, box.top() + fy * h);
    };
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 92, 88));
    p.drawEllipse(QRectF(pt(0.05, 0.74), pt(0.95, 0.98)));
    QPainterPath flame;
    flame.moveTo(pt(0.50, 0.05));
    flame.cubicTo(pt(0.62, 0.28), pt(0.90, 0.42), pt(0.78, 0.70));
    flame.cubicTo(pt(0.70, 0.86), pt(0.30, 0.86), pt(0.22, 0.70));
    flame.cubicTo(pt(0.12, 0.48), pt(0.36, 0.38), pt(0.50, 0.05));
    QLinearGradient fire(pt(0.5, 0.05), pt(0.5, 0.85));
    fire.setColorAt(0.0, QColor(255, 226, 120));
    fire.setColorAt(0.6, QColor(238, 120, 30));
    fire.setColorAt(1.0, QColor(170, 40, 16));
    p.setBrush(fire);
    p.drawPath(flame);
    p.setBrush(QColor(255, 240, 180));
    p.drawEllipse(pt(0.50, 0.62), w * 0.10, h * 0.12);
}

QImage MakeBanner(const BannerStyle& style) {
    QImage image(kEditionImageWidth, kEditionImageHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF frame(1, 1, kEditionImageWidth - 2, kEditionImageHeight - 2);
    QLinearGradient fill(frame.topLeft(), frame.bottomLeft());
    fill.setColorAt(0.0, style.top);
    fill.setColorAt(1.0, style.bottom);
    p.setPen(QPen(style.trim, 2.0));
    p.setBrush(fill);
    p.drawRoundedRect(frame, 6, 6);
    p.setPen(QPen(style.trim.darker(160), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(frame.adjusted(4, 4, -4, -4), 3, 3);

    const QRectF emblem(12, 10, 40, 40);
    style.emblem(p, emblem);

    const int textLeft = 60;
    const int textWidth = kEditionImageWidth - textLeft - 10;
    QFont small = BannerFont();
    small.setPixelSize(10);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(small);
    p.setPen(style.trim);
    p.drawText(QRect(textLeft, 8, textWidth, 14), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("DRAVIK"));

    const QFont big = FittedFont(BannerFont(), style.name, textWidth, 22);
    p.setFont(big);
    const QRect nameBox(textLeft, 22, textWidth, 30);
    p.setPen(QColor(0, 0, 0, 160));
    p.drawText(nameBox.translated(1, 1), Qt::AlignHCenter | Qt::AlignVCenter, style.name);
    p.setPen(style.text);
    p.drawText(nameBox, Qt::AlignHCenter | Qt::AlignVCenter, style.name);
    return image;
}

// --- Icon -------------------------------------------------------------------------------

// A stone block with a yellow "B", drawn on a 64-unit grid and scaled to `size`.
QImage MakeIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    const QRectF block(3, 3, 58, 58);
    QRadialGradient stone(QPointF(24, 20), 56);
    stone.setColorAt(0.0, QColor(104, 92, 78));
    stone.setColorAt(1.0, QColor(46, 40, 34));
    p.setPen(QPen(QColor(20, 17, 14), 2.5));
    p.setBrush(stone);
    p.drawRoundedRect(block, 8, 8);
    p.setPen(QPen(QColor(30, 26, 22), 1.5));
    p.drawLine(QPointF(4, 22), QPointF(60, 22));
    p.drawLine(QPointF(4, 42), QPointF(60, 42));
    p.drawLine(QPointF(32, 4), QPointF(32, 22));
    p.drawLine(QPointF(18, 22), QPointF(18, 42));
    p.drawLine(QPointF(46, 22), QPointF(46, 42));
    p.drawLine(QPointF(32, 42), QPointF(32, 60));

    QFont font = BannerFont();
    font.setPixelSize(50);
    QPainterPath letter;
    letter.addText(0, 0, font, QStringLiteral("B"));
    const QRectF bounds = letter.boundingRect();
    letter.translate(32 - bounds.center().x(), 32 - bounds.center().y());
    p.setPen(QPen(QColor(24, 18, 8), 3.0));
    p.setBrush(QColor(255, 255, 0));
    p.drawPath(letter);
    p.end();
    return image;
}

QPixmap Cached(const QString& key, const std::function<QImage()>& make) {
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(make());
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

}  // namespace

QImage MakeBackgroundTile() {
    QImage image(kBackgroundTileSize, kBackgroundTileSize, QImage::Format_RGB32);
    for (int y = 0; y < kBackgroundTileSize; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int course = Courses::Course(y);
        for (int x = 0; x < kBackgroundTileSize; ++x) {
            const double grain = 0.50 * PeriodicNoise(x, y, 35, 1) +
                                 0.30 * PeriodicNoise(x, y, 7, 2) +
                                 0.20 * PeriodicNoise(x, y, 3, 3);
            const double speck = Unit(Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 4));
            double shade;
            int r, g, b;
            if (Courses::InBedJoint(y) || Courses::InHeadJoint(x, course)) {
                shade = 22 + 8 * grain;
                r = Clamp255(shade + 2);
                g = Clamp255(shade);
                b = Clamp255(shade - 2);
            } else {
                const int block = Courses::Block(x, course);
                const double tint = 12 * Unit(Hash(static_cast<uint32_t>(block),
                                                   static_cast<uint32_t>(course), 5)) -
                                    6;
                shade = 40 + 28 * grain + tint + (speck > 0.97 ? -10 : 0);
                // A lighter lip under each bed joint and a shadow above the next one.
                if (Courses::InBedJoint(y - 1)) shade += 8;
                if (Courses::InBedJoint((y + 1) % kBackgroundTileSize)) shade -= 6;
                r = Clamp255(shade + 8);
                g = Clamp255(shade + 2);
                b = Clamp255(shade - 5);
            }
            line[x] = qRgb(r, g, b);
        }
    }
    return image;
}

QPixmap BackgroundTile() {
    return Cached(QStringLiteral("brix:art:background-tile"), MakeBackgroundTile);
}

QPixmap DscImage() {
    return Cached(QStringLiteral("brix:art:dsc-image"), [] {
        return MakeBanner({QStringLiteral("Sundered Crowns"), QColor(40, 56, 104),
                           QColor(12, 18, 42), QColor(214, 172, 66), QColor(242, 230, 196),
                           DrawSunderedCrown});
    });
}

QPixmap DatImage() {
    return Cached(QStringLiteral("brix:art:dat-image"), [] {
        return MakeBanner({QStringLiteral("Ashen Tithe"), QColor(104, 40, 22), QColor(34, 26, 24),
                           QColor(226, 132, 52), QColor(236, 226, 214), DrawAshenFlame});
    });
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(Cached(QStringLiteral("brix:art:icon-%1").arg(size),
                              [size] { return MakeIconImage(size); }));
    }
    return icon;
}

QFont FormFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QFont FormFont(int pixelSize) {
    QFont font = FormFont();
    font.setPixelSize(pixelSize);
    return font;
}

QLabel* AddYellowLabel(QWidget* parent, const QString& objectName, const QString& text, QPoint pos,
                       const QFont& font) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setAutoFillBackground(false);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 0));
    label->setPalette(palette);
    label->move(pos);
    label->adjustSize();
    return label;
}

QFont EditingFont() {
    // One face everywhere rather than whatever the machine offers first: the frames' places are
    // chosen for its widths, and the layout inside them follows its metrics.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setStretch(QFont::Unstretched);
    font.setPixelSize(11);
    return font;
}
