// CheckList: an owner-drawn check list whose item colours come from the core.
//
// The modifier panels and the components list tick and untick items as the user asks and let
// the core decide what that means: a left-button release over an item, or the space bar on
// the current item, flips its mark and reports it (toggled); the panel then asks the core and
// sets the mark the core answers. Program changes of the marks report nothing. The selection
// is drawn in a pale fill, so that the red and green of changed items stay legible on it.
#pragma once

#include <QListWidget>
#include <functional>
#include <string>
#include <vector>

#include "objects/ChangeList.h"

class CheckList : public QListWidget {
    Q_OBJECT

  public:
    // The text colour of item `item` with the given mark, selected or not.
    using ColorRule = std::function<QSColor(int item, bool checked, bool selected)>;

    explicit CheckList(QWidget* parent);
    void SetColorOf(ColorRule colorOf) { colorOf_ = std::move(colorOf); }
    void SetItems(const std::vector<std::string>& items);
    // Sets every mark (items beyond the vector are unticked).
    void SetChecks(const std::vector<bool>& checks);
    bool Checked(int item) const;
    void SetChecked(int item, bool checked);
    QSColor ColorOf(int item, bool selected) const;

  signals:
    void toggled(int item, bool checked);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Flip(int item);
    ColorRule colorOf_;
    // The marks, one per item: kept beside the items so that setting them repaints only
    // the list, without laying its items out again.
    std::vector<bool> marks_;
};
