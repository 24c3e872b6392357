#include "ui/TForm5.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "core/QSError.h"
#include "ui/Art.h"
#include "ui/FieldPanel.h"
#include "ui/TiledBackground.h"

TForm5::TForm5(QWidget* parent) : QDialog(parent), background_(BackgroundTile()) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Security check"));
    setWindowIcon(ProgramIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Its closing must not end the program while the main window is hidden behind it.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(497, 308);

    // The picture the window is tiled with, as a hidden control of its own.
    auto* tile = new QLabel(this);
    tile->setObjectName(QStringLiteral("BackgroundTile"));
    tile->setPixmap(background_);
    tile->setGeometry(0, 0, kBackgroundTileSize, kBackgroundTileSize);
    tile->hide();

    AddYellowLabel(this, QStringLiteral("Label1"),
                   QStringLiteral("The author of this mod has protected it with an access code."),
                   QPoint(24, 24));
    readOnly_ = AddYellowLabel(this, QStringLiteral("read_only"),
                               QStringLiteral("If you do not know the code, you will be able to "
                                              "read the mod, but not save it."),
                               QPoint(24, 56));
    AddYellowLabel(this, QStringLiteral("Label2"),
                   QStringLiteral("The purpose of this code is to prevent people from making "
                                  "small changes "),
                   QPoint(24, 96));
    AddYellowLabel(this, QStringLiteral("Label3"),
                   QStringLiteral("to a popular mod and causing a proliferation of similar but "
                                  "incompatible mods."),
                   QPoint(24, 114));
    AddYellowLabel(this, QStringLiteral("Label4"),
                   QStringLiteral("Enter this access code to continue:"), QPoint(24, 160));

    entry_ = new QLineEdit(this);
    entry_->setObjectName(QStringLiteral("special_identifier"));
    entry_->setMaxLength(4);
    MaskWithHashes(entry_);
    entry_->setGeometry(24, 180, 100, 22);
    entry_->clear();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(140, 250, 90, 28);
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &TForm5::Button1Click);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setGeometry(267, 250, 90, 28);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &TForm5::Button2Click);

    // Centred on the screen.
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->availableGeometry()));
}

std::optional<std::string> TForm5::Ask(bool readOnlyOffered) {
    FormShow(readOnlyOffered);
    entry_->setFocus();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return entry_->text().toStdString();
}

void TForm5::FormShow(bool readOnlyOffered) {
    readOnly_->setVisible(readOnlyOffered);
}

void TForm5::Button1Click() {
    accept();
}

void TForm5::Button2Click() {
    reject();
}

// Enter in the entry is OK; Escape, as closing the window, is Cancel.
void TForm5::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Button1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm5::paintEvent(QPaintEvent*) {
    if (PaintTiledBackground(*this, background_)) {
        QSLOG(kLogInfo, "Failure drawing background.");
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}
