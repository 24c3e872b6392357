#include "ui/ChangeMarks.h"

#include <QEvent>
#include <QPainter>
#include <QPolygon>
#include <QWidget>
#include <algorithm>

namespace {

// A box's marks, anchored in its top-right corner: the triangle's empty half faces the text,
// and the smaller dot stays above the glyphs and above a list box's arrow, which is drawn in
// the text's colour too.
constexpr int kBoxTriangle = 7;
constexpr int kBoxDot = 5;

// The strip a memo keeps right of its text.
int MarkRoom() {
    return kBoxTriangle + 2;
}

// The strip a MarkedMemo keeps right of its text, in the memo's coordinates.
QRect MemoStrip(const QAbstractScrollArea* memo) {
    const QRect text = memo->viewport()->geometry();
    return QRect(text.right() + 1, text.top(), MarkRoom(), text.height());
}

// Paints a box's mark after the box has painted itself, and a memo's strip in the colour of
// its text's background.
class BoxMarkPainter : public QObject {
  public:
    static constexpr const char* kName = "change_mark_painter";

    explicit BoxMarkPainter(QWidget* box) : QObject(box), box_(box) {
        setObjectName(kName);
        box_->installEventFilter(this);
    }
    ChangeMark mark = ChangeMark::None;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* memo = qobject_cast<MarkedMemo*>(box_);
        if (watched != box_ || event->type() != QEvent::Paint ||
            (mark == ChangeMark::None && !memo))
            return false;
        // The box's own painting first (QObject::event reaches its paintEvent), then the mark.
        watched->event(event);
        QPainter painter(box_);
        if (memo) painter.fillRect(MemoStrip(memo), memo->palette().base());
        DrawChangeMark(painter, BoxMarkSquare(box_, mark), mark);
        return true;
    }

  private:
    QWidget* box_;
};

// Found by name: the painter has no meta-object of its own for findChild to tell it by.
BoxMarkPainter* PainterOf(const QWidget* box) {
    return static_cast<BoxMarkPainter*>(
        box->findChild<QObject*>(BoxMarkPainter::kName, Qt::FindDirectChildrenOnly));
}

}  // namespace

int ChangeMarkSize(int height) {
    return std::clamp(height / 2 + 1, 6, 8);
}

void DrawChangeMark(QPainter& painter, const QRect& square, ChangeMark mark) {
    if (mark == ChangeMark::None || square.isEmpty()) return;
    const QSColor fill = mark == ChangeMark::Session ? kColorSession : kColorMod;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(fill.r, fill.g, fill.b));
    if (mark == ChangeMark::Session) {
        // Filled without smoothing, so that the corner is whole and the other half empty.
        painter.setRenderHint(QPainter::Antialiasing, false);
        const QPoint topRight(square.right() + 1, square.top());
        painter.drawPolygon(QPolygon({square.topLeft(), topRight,
                                      QPoint(square.right() + 1, square.bottom() + 1)}));
    } else {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.drawEllipse(QRectF(square));
    }
    painter.restore();
}

QRect RowMarkSquare(const QRect& row, int left) {
    const int side = ChangeMarkSize(row.height());
    return QRect(row.left() + left, row.top() + (row.height() - side) / 2, side, side);
}

MarkedMemo::MarkedMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setViewportMargins(0, 0, MarkRoom(), 0);
    new BoxMarkPainter(this);
}

QRect BoxMarkSquare(const QWidget* box, ChangeMark mark) {
    const int side = mark == ChangeMark::Mod ? kBoxDot : kBoxTriangle;
    if (const auto* memo = qobject_cast<const MarkedMemo*>(box)) {
        const QRect strip = MemoStrip(memo);
        return QRect(strip.right() - side, strip.top() + 1, side, side);
    }
    return QRect(box->width() - side - 1, 1, side, side);
}

void SetBoxMark(QWidget* box, ChangeMark mark) {
    BoxMarkPainter* painter = PainterOf(box);
    if (!painter) {
        if (mark == ChangeMark::None) return;
        painter = new BoxMarkPainter(box);
    }
    if (painter->mark == mark) return;
    painter->mark = mark;
    box->update();
}

ChangeMark BoxMark(const QWidget* box) {
    const BoxMarkPainter* painter = PainterOf(box);
    return painter ? painter->mark : ChangeMark::None;
}
