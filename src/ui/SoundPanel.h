// SoundPanel: the fifteen sound slots of a unit or hero, shown instead of the data panels
// while the sound panel mode is on: a sample choice list with Browse and Play per slot.
#pragma once

#include <QObject>
#include <map>
#include <string>

#include "mods/ModProject.h"

class Placement;
class QComboBox;
class QStringListModel;
class QWidget;

class SoundPanel : public QObject {
    Q_OBJECT

  public:
    SoundPanel(QWidget* client, Placement& placement);

    void FillList(const std::vector<std::string>& sampleNames);
    void EmptyList();
    void Render(const ShownObject& shown);
    QComboBox* Slot(const std::string& control) const { return slots_.at(control); }

  private:
    QStringListModel* samples_ = nullptr;
    std::map<std::string, QComboBox*> slots_;
};
