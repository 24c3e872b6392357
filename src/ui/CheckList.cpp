#include "ui/CheckList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kMarkRole = Qt::UserRole + 2;

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
                     (index.data(kMarkRole).toBool() ? QStyle::State_On : QStyle::State_Off);
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &mark, painter,
                                             list_);
        const QSColor c = list_->ColorOf(index.row(), selected);
        painter->setPen(QColor(c.r, c.g, c.b));
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(box + 4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data().toString());
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int height = std::max(13, option.fontMetrics.height());
        return QSize(height + 6 + option.fontMetrics.horizontalAdvance(index.data().toString()),
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
    for (const std::string& text : items) {
        auto* item = new QListWidgetItem(QString::fromStdString(text), this);
        item->setData(kMarkRole, false);
    }
}

void CheckList::SetChecks(const std::vector<bool>& checks) {
    for (int i = 0; i < count(); ++i)
        SetChecked(i, static_cast<size_t>(i) < checks.size() && checks[static_cast<size_t>(i)]);
}

bool CheckList::Checked(int item) const {
    return item >= 0 && item < count() && this->item(item)->data(kMarkRole).toBool();
}

void CheckList::SetChecked(int item, bool checked) {
    if (item < 0 || item >= count() || Checked(item) == checked) return;
    this->item(item)->setData(kMarkRole, checked);
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
