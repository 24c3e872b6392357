#include "ui/FieldPanel.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QValidator>

#include "core/HashName.h"
#include "ui/Art.h"
#include "ui/ChangeMarks.h"
#include "ui/Placement.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// A box's character limit applies to typing only: a longer value loaded from the game is
// shown whole, as it stands in the file, rather than cut (a cut value would be recorded as an
// edit as soon as the user touched the box).
class TypingLimit : public QValidator {
  public:
    TypingLimit(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}
    State validate(QString& input, int&) const override {
        return input.size() <= limit_ ? Acceptable : Invalid;
    }

  private:
    int limit_;
};

}  // namespace

bool IsUndoKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Qt::Key_Z && (key->modifiers() & Qt::ControlModifier);
}

void LimitTyping(QLineEdit* edit, int limit) {
    edit->setValidator(new TypingLimit(limit, edit));
    edit->setProperty(kTypingLimitProperty, limit);
}

namespace {

// Shows each character as "#" rather than the style's dot.
class HashMaskStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '#';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void MaskWithHashes(QLineEdit* edit) {
    auto* style = new HashMaskStyle;
    style->setParent(edit);
    edit->setStyle(style);
    edit->setEchoMode(QLineEdit::Password);
}

void SetTextColor(QWidget* w, const QColor& color) {
    if (w->palette().color(QPalette::Text) == color) return;
    QPalette p = w->palette();
    p.setColor(QPalette::Text, color);
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::ButtonText, color);
    w->setPalette(p);
}

void RenderControl(QWidget* w, const ControlUpdate& c) {
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != Q(c.text)) edit->setText(Q(c.text));
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
        // The memo reports every change of its text; this one is not the user's.
        const QSignalBlocker quiet(memo);
        if (memo->toPlainText() != Q(c.text)) memo->setPlainText(Q(c.text));
    } else if (auto* box = qobject_cast<QComboBox*>(w)) {
        if (c.selected >= 0 && c.selected < box->count()) {
            if (box->currentIndex() != c.selected) box->setCurrentIndex(c.selected);
            // Typing leaves the index where it was: the typed text gives way to the item's.
            if (box->isEditable() && box->currentText() != box->itemText(c.selected))
                box->setEditText(box->itemText(c.selected));
        } else if (box->isEditable()) {
            box->setEditText(Q(c.text));
        } else {
            box->setCurrentIndex(box->count() ? 0 : -1);
        }
    }
    SetTextColor(w, QColor(c.color.r, c.color.g, c.color.b));
    SetBoxMark(w, MarkOfColor(c.color));
}

FieldPanel::FieldPanel(QWidget* client, Placement& placement, ModProject& project, Hooks hooks)
    : QObject(client), client_(client), project_(project), hooks_(std::move(hooks)) {
    QLabel* uniqueLabel = MakeLabel("unique_name_label", "Unique name:");
    uniqueName_ = new QLineEdit(client_);
    uniqueName_->setObjectName("unique_name");
    uniqueName_->setToolTip(ControlHint("unique_name"));
    uniqueName_->setMaxLength(static_cast<int>(kMaxNameLength));
    controls_["unique_name"] = uniqueName_;
    connect(uniqueName_, &QLineEdit::editingFinished, this, &FieldPanel::CloneFromUniqueName);
    placement.Place(uniqueName_, uniqueLabel, "object_frame",
                    kInUnits | kInHeroes | kInBuildings | kInComponents);

    auto add = [&](const FieldDef& f) {
        QLabel* label = f.labelHidden ? nullptr : MakeLabel(f.label, f.caption);
        QWidget* w = MakeControl(f);
        if (f.labelHidden) {
            w->hide();  // the translated name follows the proper name, unseen
            return;
        }
        // A field with hero level variants shows its base control at the base level only.
        const bool hasVariants = FieldByControl(std::string(f.control) + "_enlightened");
        placement.PlaceField(w, label, f.level ? f.level : (hasVariants ? 0 : -1));
    };
    add(kProperNameField);
    for (const FieldDef& f : kFieldTable) add(f);
    attack2Type_ = qobject_cast<QComboBox*>(controls_.at("attack_2_type"));
    description_ = qobject_cast<QPlainTextEdit*>(controls_.at("description"));
}

QLabel* FieldPanel::MakeLabel(const std::string& name, const char* caption) {
    if (auto it = labels_.find(name); it != labels_.end()) return it->second;
    QLabel* label = AddYellowLabel(client_, Q(name), caption, QPoint(0, 0), EditingFont());
    labels_[name] = label;
    return label;
}

QStringListModel* FieldPanel::SharedModel(ListSource source) {
    QStringListModel*& model = models_[source];
    if (!model) model = new QStringListModel(this);
    return model;
}

QWidget* FieldPanel::MakeControl(const FieldDef& field) {
    const std::string name = field.control;
    QWidget* w = nullptr;
    switch (field.controlKind) {
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(client_);
            if (field.maxLength) LimitTyping(edit, field.maxLength);
            // Every change the user makes to the text, typed or pasted, is recorded.
            connect(edit, &QLineEdit::textEdited, this,
                    [this, name](const QString& text) { Edited(name, text.toStdString()); });
            edit->installEventFilter(this);
            w = edit;
            break;
        }
        case ControlKind::Memo: {
            auto* memo = new MarkedMemo(client_);
            memo->setTabChangesFocus(true);
            connect(memo, &QPlainTextEdit::textChanged, this,
                    [this, name, memo] { Edited(name, memo->toPlainText().toStdString()); });
            memo->installEventFilter(this);
            w = memo;
            break;
        }
        case ControlKind::List:
        case ControlKind::SampleList: {
            auto* box = new QComboBox(client_);
            box->setEditable(field.acceptsTypedText);
            // Typed text is never stored, nor added to the list.
            box->setInsertPolicy(QComboBox::NoInsert);
            for (const char* item : field.items) box->addItem(item);
            // Lists of the same computed items share one model, filled once per opening.
            if (field.listSource != ListSource::None && field.listSource != ListSource::Fixed)
                box->setModel(SharedModel(field.listSource));
            // A choice, by mouse or by keyboard, records the chosen item.
            connect(box, &QComboBox::activated, this, [this, name, box](int index) {
                if (index >= 0) Edited(name, box->itemText(index).toStdString());
                if (box == attack2Type_ && hooks_.castChanged) hooks_.castChanged();
            });
            box->installEventFilter(this);
            if (box->lineEdit()) box->lineEdit()->installEventFilter(this);
            w = box;
            break;
        }
    }
    w->setObjectName(Q(name));
    w->setFont(EditingFont());
    if (const char* hint = ControlHint(field.control)) w->setToolTip(hint);
    controls_[name] = w;
    return w;
}

QWidget* FieldPanel::Control(const std::string& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

QLabel* FieldPanel::Label(const std::string& name) const {
    auto it = labels_.find(name);
    return it == labels_.end() ? nullptr : it->second;
}

void FieldPanel::FillLists(const ListItemSet& lists) {
    for (ListSource source : {ListSource::TechnologyNames, ListSource::SpellNames,
                              ListSource::Captains, ListSource::Militia, ListSource::Buildings}) {
        QStringList items;
        for (const std::string& item : *lists.Computed(source)) items.push_back(Q(item));
        SharedModel(source)->setStringList(items);
    }
}

void FieldPanel::EmptyLists() {
    for (auto& [source, model] : models_) model->setStringList({});
}

bool FieldPanel::Cast() const {
    return SameName(attack2Type_->currentText().toStdString(), "Cast");
}

void FieldPanel::Render(const ShownObject& shown) {
    if (uniqueName_->text() != Q(shown.uniqueName)) uniqueName_->setText(Q(shown.uniqueName));
    for (const ShownControl& c : shown.controls) {
        if (QWidget* w = Control(c.control)) RenderControl(w, c);
    }
}

void FieldPanel::Apply(const FieldUpdate& update) {
    for (const ControlUpdate& c : update.controls) {
        if (QWidget* w = Control(c.control)) RenderControl(w, c);
    }
    if (update.repaintObjectList && hooks_.repaintList) hooks_.repaintList();
}

void FieldPanel::Edited(const std::string& control, const std::string& text) {
    Apply(project_.EditField(hooks_.currentIndex(), control, text));
}

void FieldPanel::Undo(const std::string& control) {
    Apply(project_.UndoField(hooks_.currentIndex(), control));
    if (control == "attack_2_type" && hooks_.castChanged) hooks_.castChanged();
}

void FieldPanel::CloneFromUniqueName() {
    const int index =
        project_.CloneObject(hooks_.currentIndex(), uniqueName_->text().toStdString());
    if (index >= 0 && hooks_.selectClone) hooks_.selectClone(index);
}

bool FieldPanel::eventFilter(QObject* watched, QEvent* event) {
    if (IsUndoKey(event)) {
        // The box's own undo gives way to taking the field's change back.
        QObject* owner = watched;
        if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && edit->parent() != client_)
            owner = edit->parent();  // the line edit of an editable list
        const std::string name = owner->objectName().toStdString();
        if (controls_.count(name)) {
            Undo(name);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
