#include "ui/TextReport.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>

#include "ui/Art.h"

bool WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

TextReport::TextReport(QWidget* parent, FileChooser choose, Warning warn)
    : QDialog(parent), choose_(std::move(choose)), warn_(std::move(warn)) {
    setObjectName(QStringLiteral("TextReport"));
    setWindowIcon(ProgramIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    resize(760, 480);

    box_ = new QPlainTextEdit(this);
    box_->setObjectName(QStringLiteral("report_text"));
    box_->setReadOnly(true);
    box_->setLineWrapMode(QPlainTextEdit::NoWrap);
    box_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    save_ = new QPushButton(QStringLiteral("Save As..."), this);
    save_->setObjectName(QStringLiteral("report_save"));
    connect(save_, &QPushButton::clicked, this, &TextReport::SaveClick);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("report_close"));
    connect(close, &QPushButton::clicked, this, &QDialog::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box_);
    layout->addLayout(buttons);
}

void TextReport::ShowText(const QString& caption, std::string text, std::string proposedFile) {
    text_ = std::move(text);
    proposed_ = std::move(proposedFile);
    setWindowTitle(caption);
    box_->setPlainText(QString::fromStdString(text_));
    show();
    raise();
    activateWindow();
}

void TextReport::SaveClick() {
    const std::string file = choose_ ? choose_(proposed_) : std::string();
    if (file.empty()) return;
    if (!WriteTextFile(file, text_) && warn_)
        warn_(QStringLiteral("Couldn't save the text to %1.").arg(QString::fromStdString(file)));
}
