#include "ui/ModPanel.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "mods/QSVersionMgr.h"
#include "ui/Art.h"
#include "ui/FieldPanel.h"

namespace {

// The boxes of the panel, top to bottom; the short ones two to a row.
struct IdentityBox {
    const char* control;
    const char* label;
    const char* caption;
    int maxLength;
    int half;  // 0 the whole width; 1 the left half; 2 the right half, ending the row
};
constexpr IdentityBox kBoxes[] = {
    {"mod_name", "mod_name_label", "Mod name:", 20, 0},
    {"access_code", "access_code_label", "Access code:", 4, 1},
    {"two_character_identifier", "two_character_identifier_label", "Two character ID:", 2, 2},
    {"version", "version_label", "Mod Version,", 11, 0},
    {"author", "author_label", "Author:", 0, 0},
    {"author_www", "author_www_label", "Author's www:", 0, 0},
    {"author_email", "author_email_label", "Author's email:", 0, 0},
    {"dravik_version", "dravik_version_label", "Built with Dravik ver:", 0, 1},
    {"brix_version", "brix_version_label", "Built with Brix ver:", 0, 2},
};

const ModIdentityField* IdentityField(const std::string& control) {
    for (const ModIdentityField& f : ModIdentityFields()) {
        if (control == f.control) return &f;
    }
    return nullptr;
}

}  // namespace

ModPanel::ModPanel(QWidget* client, ModProject& project, Warning warn)
    : QObject(client), project_(project), warn_(std::move(warn)) {
    auto label = [&](const char* name, const char* caption, QRect place) {
        QLabel* l = AddYellowLabel(client, name, caption, place.topLeft());
        l->setGeometry(place);
        controls_[name] = l;
        return l;
    };
    label("this_is_a_mod_for_label", "This is a mod for:", QRect(8, 16, 240, 14));
    for (const char* name : {"dsc_image", "dat_image"}) {
        auto* picture = new QLabel(client);
        picture->setObjectName(name);
        picture->setPixmap(std::string(name) == "dsc_image" ? DscImage() : DatImage());
        picture->setGeometry(8, 32, 240, 60);
        controls_[name] = picture;
    }
    int y = 94;
    for (const IdentityBox& box : kBoxes) {
        const ModIdentityField* field = IdentityField(box.control);
        const int x = box.half == 2 ? 130 : 8;
        const int width = box.half ? 118 : 240;
        if (std::string(box.control) == "version") {
            label(box.label, box.caption, QRect(x, y, 76, 14));
            label("version_label2", "NOT Dravik version:", QRect(x + 78, y, 150, 14));
        } else {
            label(box.label, box.caption, QRect(x, y, width, 14));
        }
        auto* edit = new QLineEdit(client);
        edit->setObjectName(box.control);
        if (box.maxLength) LimitTyping(edit, box.maxLength);
        if (std::string(box.control) == "access_code") MaskWithHashes(edit);
        if (std::string(box.control) == "version")
            edit->setToolTip(
                "Version number of mod in form ##.##.##.##, each part can be between 0 and 99, "
                "must always increase.");
        edit->setReadOnly(!field || !field->editable);
        connect(edit, &QLineEdit::textEdited, this, [this] { typed_ = true; });
        edit->setGeometry(x, y + 14, width, 20);
        edit->installEventFilter(this);
        controls_[box.control] = edit;
        if (box.half != 1) y += 35;
    }
    label("author_comments_label", "Author's comments:", QRect(8, y, 240, 14));
    auto* comments = new QPlainTextEdit(client);
    comments->setObjectName("author_comments");
    comments->setGeometry(8, y + 14, 240, 410 - y - 14);
    comments->installEventFilter(this);
    connect(comments, &QPlainTextEdit::textChanged, this, [this] {
        if (!rendering_) typed_ = true;
    });
    controls_["author_comments"] = comments;

    for (const auto& [memo, name, caption, hint] :
         {std::tuple{"version_history", "version_history_label",
                     "Version History:", "A report of changes made to this mod."},
          std::tuple{"global_history", "global_history_label", "Global History:", ""}}) {
        label(name, caption, QRect(18, 562, 200, 15));
        auto* m = new QPlainTextEdit(client);
        m->setObjectName(memo);
        m->setReadOnly(true);
        if (*hint) m->setToolTip(hint);
        m->setGeometry(5, 579, 427, 112);
        controls_[memo] = m;
    }
    versionHistory_ = qobject_cast<QPlainTextEdit*>(controls_.at("version_history"));
    globalHistory_ = qobject_cast<QPlainTextEdit*>(controls_.at("global_history"));
}

void ModPanel::Render() {
    rendering_ = true;
    const ModIdentity& id = project_.Identity();
    for (const ModIdentityField& field : ModIdentityFields()) {
        if (!field.shown) continue;
        const QString text = QString::fromStdString(id.*field.member);
        QWidget* w = Control(field.control);
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(text);
        if (auto* m = qobject_cast<QPlainTextEdit*>(w)) m->setPlainText(text);
    }
    versionHistory_->setPlainText(QString::fromStdString(project_.VersionHistory()));
    globalHistory_->setPlainText(QString::fromStdString(project_.GlobalHistory()));
    rendering_ = false;
    typed_ = false;
}

std::string ModPanel::Text(const std::string& control) const {
    QWidget* w = Control(control);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->toPlainText().toStdString();
    return {};
}

void ModPanel::SetVersion(const std::string& version) {
    qobject_cast<QLineEdit*>(Control("version"))->setText(QString::fromStdString(version));
}

ModIdentity ModPanel::IdentityForSave(const std::string& version) const {
    // The boxes copied as typed are in the identity already.
    ModIdentity identity = project_.Identity();
    for (const ModIdentityField& field : ModIdentityFields()) {
        if (field.editable && !field.copiedAsTyped) identity.*field.member = Text(field.control);
    }
    // A package keeps the comments as Windows text: each line break of the box is CR LF.
    std::string comments;
    for (char c : identity.comments) {
        if (c == '\n' && (comments.empty() || comments.back() != '\r')) comments += '\r';
        comments += c;
    }
    identity.comments = std::move(comments);
    identity.savedVersion = version;
    return identity;
}

QString ModPanel::HistoryText(bool global) const {
    return (global ? globalHistory_ : versionHistory_)->toPlainText();
}

void ModPanel::Show(bool globalHistory) {
    for (auto& [name, w] : controls_) {
        if (name == "dsc_image" || name == "dat_image" || name.find("history") != std::string::npos)
            continue;
        w->show();
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w))
            SetTextColor(w, Qt::black);
    }
    const bool expansion = project_.CurrentEdition() == GameEdition::Expansion;
    Control("dsc_image")->setVisible(!expansion);
    Control("dat_image")->setVisible(expansion);
    ShowHistory(globalHistory);
}

void ModPanel::ShowHistory(bool global) {
    versionHistory_->setVisible(!global);
    Control("version_history_label")->setVisible(!global);
    globalHistory_->setVisible(global);
    Control("global_history_label")->setVisible(global);
}

void ModPanel::Hide() {
    for (auto& [name, w] : controls_) w->hide();
}

// Leaving the version box for another control of the window: text that is no version is
// told and replaced by the saved version. Losing the focus to a menu or another window is
// not leaving, nor is the box being hidden or disabled (a reset, a save).
void ModPanel::VersionExit() {
    auto* box = qobject_cast<QLineEdit*>(Control("version"));
    if (!box->isVisible() || !box->isEnabled()) return;
    const std::string typed = box->text().toStdString();
    const std::string kept = VersionAfterExit(typed, project_.Identity().savedVersion);
    if (kept == typed) return;
    box->setText(QString::fromStdString(kept));
    if (warn_) warn_(QString::fromUtf8(kVersionFormatMessage));
}

// A key released in a box marks it red, as changed since the last save, and keeps the
// identity up to date; the version and the comments are read from their boxes when saving.
bool ModPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == Control("version")) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) VersionExit();
    }
    if (event->type() == QEvent::KeyRelease) {
        for (const ModIdentityField& field : ModIdentityFields()) {
            QWidget* w = Control(field.control);
            if (w != watched || !field.editable) continue;
            SetTextColor(w, Qt::red);
            if (auto* edit = qobject_cast<QLineEdit*>(w); edit && field.copiedAsTyped)
                project_.Identity().*field.member = edit->text().toStdString();
        }
    }
    return QObject::eventFilter(watched, event);
}
