#include "ui/SoundPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringListModel>

#include "ui/Art.h"
#include "ui/FieldPanel.h"
#include "ui/Placement.h"

SoundPanel::SoundPanel(QWidget* client, Placement& placement)
    : QObject(client), samples_(new QStringListModel(this)) {
    Placement::Options fixed;
    fixed.fixed = true;
    constexpr unsigned kViews = kInUnits | kInHeroes;
    int y = 242;
    for (const SoundSlotDef& s : kSoundSlotTable) {
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
        slots_[s.control] = box;
        placement.Place(box, label, "sound_frame", kViews, fixed);
        int x = 793;
        for (const auto& [suffix, caption] : {std::pair{"_browse", "Browse"}, {"_play", "Play"}}) {
            auto* button = new QPushButton(caption, client);
            button->setObjectName(QString(s.control) + suffix);
            button->setGeometry(x, y, 60, 20);
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
