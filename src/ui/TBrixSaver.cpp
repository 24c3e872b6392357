#include "ui/TBrixSaver.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "ui/Art.h"
#include "ui/TiledBackground.h"

TBrixSaver::TBrixSaver(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TBrixSaver"));
    setWindowTitle(QStringLiteral("BrixSaver"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(FormFont());

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox1"));
    list_->setGeometry(16, 24, 659, 329);
    // A long line scrolls sideways rather than losing its end.
    list_->setTextElideMode(Qt::ElideNone);
    list_->setWordWrap(false);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("Button1"));
    ok_->setGeometry(309, 360, 75, 25);
    ok_->setDefault(true);
    ok_->hide();
    connect(ok_, &QPushButton::clicked, this, &TBrixSaver::Button1Click);

    // Centred once, when made; a window the user has moved stays where it was put.
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->availableGeometry()));
}

void TBrixSaver::Reset(const QString& firstLine) {
    ok_->hide();
    list_->clear();
    sinceDrawn_.invalidate();
    if (!firstLine.isNull()) AddLine(firstLine);
}

void TBrixSaver::AddLine(const QString& text) {
    list_->addItem(text);
    // The build keeps the event loop busy: the list is drawn here, or never until it ends.
    if (list_->isVisible() && (!sinceDrawn_.isValid() || sinceDrawn_.elapsed() >= 30)) {
        list_->scrollToBottom();
        list_->viewport()->repaint();
        sinceDrawn_.start();
    }
}

void TBrixSaver::ShowForBuild() {
    show();
    raise();
    activateWindow();
    QCoreApplication::processEvents();
}

void TBrixSaver::Finish() {
    list_->scrollToBottom();
    ok_->show();
    ok_->setFocus();
}

void TBrixSaver::Button1Click() {
    hide();
    ok_->hide();
    if (onOk_) onOk_();
}

void TBrixSaver::reject() {
    if (ok_->isVisible()) Button1Click();
}

void TBrixSaver::paintEvent(QPaintEvent*) {
    // Without its stone the window is still usable: the list and the button paint themselves.
    PaintTiledBackground(*this);
}
