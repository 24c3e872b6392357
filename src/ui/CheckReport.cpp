#include "ui/CheckReport.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/Art.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

CheckReport::CheckReport(QWidget* parent, Show show) : QDialog(parent), show_(std::move(show)) {
    setObjectName(QStringLiteral("CheckReport"));
    setWindowTitle(QStringLiteral("Check Mod"));
    setWindowIcon(ProgramIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    resize(760, 300);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("check_summary"));
    rows_ = new QTreeWidget(this);
    rows_->setObjectName(QStringLiteral("check_findings"));
    rows_->setRootIsDecorated(false);
    rows_->setUniformRowHeights(true);
    rows_->setHeaderLabels({"", "Object", "Field", "Value", "Problem"});
    rows_->header()->setStretchLastSection(true);
    connect(rows_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { RowActivated(rows_->indexOfTopLevelItem(item)); });
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("check_close"));
    connect(close, &QPushButton::clicked, this, &QDialog::hide);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(rows_);
    layout->addWidget(close, 0, Qt::AlignRight);
}

void CheckReport::ShowFindings(std::vector<CheckFinding> findings) {
    findings_ = std::move(findings);
    rows_->clear();
    size_t errors = 0;
    for (const CheckFinding& f : findings_) {
        if (f.severity == FindingSeverity::Error) ++errors;
        const std::string field = f.section.empty() ? f.key : f.section + "/" + f.key;
        auto* item = new QTreeWidgetItem(
            rows_, {SeverityName(f.severity), Q(f.object.empty() ? "(mod)" : f.object), Q(field),
                    Q(f.value), Q(f.reason)});
        if (f.severity == FindingSeverity::Error) item->setForeground(0, QColor(200, 0, 0));
    }
    for (int c = 0; c < rows_->columnCount() - 1; ++c) rows_->resizeColumnToContents(c);
    const size_t warnings = findings_.size() - errors;
    summary_->setText(findings_.empty()
                          ? QStringLiteral("No problems found.")
                          : QStringLiteral("%1 error(s), %2 warning(s). Double-click a row to show "
                                           "its object.")
                                .arg(errors)
                                .arg(warnings));
    show();
    raise();
    activateWindow();
}

void CheckReport::RowActivated(int row) {
    if (row < 0 || static_cast<size_t>(row) >= findings_.size() || !show_) return;
    show_(findings_[static_cast<size_t>(row)]);
}
