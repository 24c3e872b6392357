#include "ui/CheckList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "ui/ChangeMarks.h"

namespace {

// Draws an item's check box and its text in the colour the list's owner gives.
class CheckItemDelegate : public QStyledItemDelegate {
  public:
    explicit CheckItemDelegate(CheckList* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect,
                          selected ? QColor(kSelectionFill.r, kSelectionFill.g, kSelectionFill.b)
                                   : option.palette.base().color());
        const int box = option.rect.height() - 2;
        QStyleOptionViewItem mark(option);
        mark.rect = QRect(option.rect.left() + 1, option.rect.top() + 1, box, box);
        mark.state = QStyle::State_Enabled |
                     (list_->Checked(index.row()) ? QStyle::State_On : QStyle::State_Off);
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &mark, painter,
                                             list_);
        const QSColor c = list_->ColorOf(index.row(), selected);
        const QRect square = RowMarkSquare(option.rect, box + 2);
        DrawChangeMark(*painter, square, MarkOfColor(c));
        painter->setPen(QColor(c.r, c.g, c.b));
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(box + square.width() + 4, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int height = std::max(13, option.fontMetrics.height());
        return QSize(height + ChangeMarkSize(height) + 6 +
                         option.fontMetrics.horizontalAdvance(index.data().toString()),
                     height);
    }

  private:
    CheckList* list_;
};

}  // namespace

CheckList::CheckList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new CheckItemDelegate(this));
    setUniformItemSizes(true);
}

void CheckList::SetItems(const std::vector<std::string>& items) {
    clear();
    marks_.assign(items.size(), false);
    for (const std::string& text : items) new QListWidgetItem(QString::fromStdString(text), this);
}

void CheckList::SetChecks(const std::vector<bool>& checks) {
    marks_.assign(static_cast<size_t>(count()), false);
    for (size_t i = 0; i < marks_.size() && i < checks.size(); ++i) marks_[i] = checks[i];
    viewport()->update();
}

bool CheckList::Checked(int item) const {
    return item >= 0 && static_cast<size_t>(item) < marks_.size() &&
           marks_[static_cast<size_t>(item)];
}

void CheckList::SetChecked(int item, bool checked) {
    if (item < 0 || static_cast<size_t>(item) >= marks_.size() || Checked(item) == checked) return;
    marks_[static_cast<size_t>(item)] = checked;
    viewport()->update(visualItemRect(this->item(item)));
}

QSColor CheckList::ColorOf(int item, bool selected) const {
    return colorOf_ ? colorOf_(item, Checked(item), selected) : QSColor{};
}

void CheckList::Flip(int item) {
    const bool checked = !Checked(item);
    SetChecked(item, checked);
    emit toggled(item, checked);
    viewport()->update();
}

void CheckList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid()) Flip(at.row());
}

void CheckList::keyPressEvent(QKeyEvent* event) {
    // The space bar acts like a click on the current item, so the marks never disagree with
    // the object.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (currentRow() >= 0) Flip(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}
