#include "ui/SoundPanel.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>

#include "core/WavFile.h"
#include "ui/Art.h"
#include "ui/FieldPanel.h"
#include "ui/Placement.h"

SoundPanel::SoundPanel(QWidget* client, Placement& placement, ModProject& project, Hooks hooks)
    : QObject(client), project_(project), hooks_(std::move(hooks)),
      samples_(new QStringListModel(this)) {
    Placement::Options fixed;
    fixed.fixed = true;
    constexpr unsigned kViews = kInUnits | kInHeroes;
    int y = 242;
    for (const SoundSlotDef& s : kSoundSlotTable) {
        const std::string control = s.control;
        QLabel* label = AddYellowLabel(client, QString(s.control) + "_label", s.caption,
                                       QPoint(445, y + 2), EditingFont());
        label->setFixedSize(90, 16);
        auto* box = new QComboBox(client);
        box->setObjectName(s.control);
        box->setFont(EditingFont());
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setModel(samples_);
        box->setGeometry(539, y, 250, 20);
        slots_[control] = box;
        owners_[box] = control;
        owners_[box->lineEdit()] = control;
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
        // A choice from the list, by mouse or keyboard.
        connect(box, &QComboBox::activated, this, [this, control](int) { Click(control); });
        placement.Place(box, label, "sound_frame", kViews, fixed);
        int x = 793;
        for (const auto& [suffix, caption] : {std::pair{"_browse", "Browse"}, {"_play", "Play"}}) {
            auto* button = new QPushButton(caption, client);
            button->setObjectName(QString(s.control) + suffix);
            button->setGeometry(x, y, 60, 20);
            if (std::string(suffix) == "_browse")
                connect(button, &QPushButton::clicked, this, [this, control] { BrowseClick(control); });
            else
                connect(button, &QPushButton::clicked, this, [this, control] { PlayClick(control); });
            placement.Place(button, nullptr, "sound_frame", kViews, fixed);
            x += 64;
        }
        y += 24;
    }
}

void SoundPanel::FillList(const std::vector<std::string>& sampleNames) {
    QStringList names;
    for (const std::string& name : sampleNames) names.push_back(QString::fromStdString(name));
    samples_->setStringList(names);
}

void SoundPanel::EmptyList() {
    samples_->setStringList({});
}

void SoundPanel::Render(const ShownObject& shown) {
    for (const ShownControl& c : shown.controls) {
        if (auto it = slots_.find(c.control); it != slots_.end()) RenderControl(it->second, c);
    }
}

std::string SoundPanel::Text(const std::string& control) const {
    return slots_.at(control)->currentText().toStdString();
}

void SoundPanel::Apply(const FieldUpdate& update) {
    for (const ControlUpdate& c : update.controls) {
        if (auto it = slots_.find(c.control); it != slots_.end()) RenderControl(it->second, c);
    }
    if (update.repaintObjectList && hooks_.repaintList) hooks_.repaintList();
}

void SoundPanel::PlayClick(const std::string& control) {
    if (hooks_.play) hooks_.play(Text(control));
}

// The chosen file is checked and, whatever the check says, assigned to the slot.
void SoundPanel::BrowseClick(const std::string& control) {
    const std::string file = hooks_.chooseWav ? hooks_.chooseWav() : std::string();
    if (file.empty()) return;
    const WavCheck check = CheckWav(std::filesystem::path(file));
    if (check != WavCheck::Accepted && hooks_.warn)
        hooks_.warn(QString::fromStdString(WavWarning(check, file)));
    slots_.at(control)->setEditText(QString::fromStdString(file));
    Apply(project_.EditSoundSlot(hooks_.currentIndex(), control, file));
}

void SoundPanel::Click(const std::string& control) {
    Apply(project_.EditSoundSlot(hooks_.currentIndex(), control, Text(control)));
}

void SoundPanel::KeyDown(const std::string& control, const QKeyEvent& key) {
    beforeText_ = Text(control);
    if (key.key() == Qt::Key_Z && (key.modifiers() & Qt::ControlModifier))
        Apply(project_.UndoField(hooks_.currentIndex(), control));
}

// A key that changed the text records it; one that did not (an arrow, a shift) records
// nothing.
void SoundPanel::KeyUp(const std::string& control) {
    const std::string text = Text(control);
    if (text != beforeText_) Apply(project_.EditSoundSlot(hooks_.currentIndex(), control, text));
}

bool SoundPanel::eventFilter(QObject* watched, QEvent* event) {
    const auto owner = owners_.find(watched);
    if (owner == owners_.end()) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        KeyDown(owner->second, *key);
        // Ctrl+Z is the slot's undo, not the line edit's.
        if (IsUndoKey(event)) return true;
    } else if (event->type() == QEvent::KeyRelease) {
        KeyUp(owner->second);
    }
    return QObject::eventFilter(watched, event);
}
