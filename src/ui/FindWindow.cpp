#include "ui/FindWindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/Art.h"

FindWindow::FindWindow(QWidget* owner) : QDialog(owner, Qt::Tool) {
    setObjectName(QStringLiteral("FindWindow"));
    setWindowTitle(QStringLiteral("Find"));
    setWindowIcon(ProgramIcon());
    setModal(false);

    auto* label = new QLabel(QStringLiteral("&Name contains:"), this);
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("find_text"));
    text_->setToolTip(QStringLiteral(
        "Shows the first object of the view whose unique or proper name contains the text, "
        "whatever its letter case."));
    text_->setMinimumWidth(220);
    label->setBuddy(text_);
    connect(text_, &QLineEdit::textEdited, this, &FindWindow::textTyped);

    allViews_ = new QCheckBox(QStringLiteral("&All views"), this);
    allViews_->setObjectName(QStringLiteral("find_all_views"));
    allViews_->setToolTip(QStringLiteral(
        "Go on to the next view when this one holds no further match."));

    auto* next = new QPushButton(QStringLiteral("Find &Next"), this);
    next->setObjectName(QStringLiteral("find_next_button"));
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, &FindWindow::findNext);
    auto* changed = new QPushButton(QStringLiteral("Next &Changed"), this);
    changed->setObjectName(QStringLiteral("next_changed_button"));
    changed->setAutoDefault(false);
    connect(changed, &QPushButton::clicked, this, &FindWindow::nextChanged);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("find_close_button"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("find_status"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(text_, 0, 1);
    grid->addWidget(next, 0, 2);
    grid->addWidget(allViews_, 1, 1);
    grid->addWidget(changed, 1, 2);
    grid->addWidget(status_, 2, 0, 1, 2);
    grid->addWidget(close, 2, 2);
    grid->setColumnStretch(1, 1);
}

void FindWindow::Open() {
    show();
    raise();
    activateWindow();
    text_->setFocus();
    text_->selectAll();
}

QString FindWindow::Text() const {
    return text_->text();
}

bool FindWindow::AllViews() const {
    return allViews_->isChecked();
}

void FindWindow::SetStatus(const QString& status) {
    status_->setText(status);
}

QString FindWindow::Status() const {
    return status_->text();
}
