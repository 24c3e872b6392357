// CheckReport: the findings of Check Mod in a window beside the editor, one row each with its
// severity, object, field, value and reason; a double click on a row shows that object in the
// main window. "No problems found." when there is nothing to say.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "mods/ModChecker.h"

class QTreeWidget;
class QLabel;

class CheckReport : public QDialog {
    Q_OBJECT

  public:
    // What a double click asks of the main window: show this object of this view.
    using Show = std::function<void(const CheckFinding& finding)>;

    CheckReport(QWidget* parent, Show show);

    void ShowFindings(std::vector<CheckFinding> findings);
    // A double click on row `row`.
    void RowActivated(int row);

    QTreeWidget* Rows() const { return rows_; }
    QLabel* Summary() const { return summary_; }

  private:
    QTreeWidget* rows_ = nullptr;
    QLabel* summary_ = nullptr;
    Show show_;
    std::vector<CheckFinding> findings_;
};
