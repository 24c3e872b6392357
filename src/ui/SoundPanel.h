// SoundPanel: the fifteen sound slots of a unit or hero, shown instead of the data panels
// while the sound panel mode is on: a sample choice list with Browse and Play per slot.
//
// Every slot has the same five handlers (Play, Browse, a choice from the list, a key going
// down and a key coming up), written once and told the slot by the table of slots. A slot's
// text is recorded as the object's change like any field; Ctrl+Z takes it back. Browse runs
// the WAV open dialog and warns about a file the game may not like, but assigns it anyway.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <string>

#include "mods/ModProject.h"

class Placement;
class QComboBox;
class QKeyEvent;
class QStringListModel;
class QWidget;

class SoundPanel : public QObject {
    Q_OBJECT

  public:
    // What the panel asks of its window.
    struct Hooks {
        std::function<int()> currentIndex;
        std::function<void()> repaintList;  // an object's change state changed
        // The WAV open dialog: the chosen file, or empty when cancelled.
        std::function<std::string()> chooseWav;
        std::function<void(const QString&)> warn;
        std::function<void(const std::string&)> play;  // previews a slot's text
    };

    SoundPanel(QWidget* client, Placement& placement, ModProject& project, Hooks hooks);

    void FillList(const std::vector<std::string>& sampleNames);
    void EmptyList();
    void Render(const ShownObject& shown);
    QComboBox* Slot(const std::string& control) const { return slots_.at(control); }

    // The handlers of one slot, by its control name.
    void PlayClick(const std::string& control);
    void BrowseClick(const std::string& control);
    void Click(const std::string& control);
    void KeyDown(const std::string& control, const QKeyEvent& key);
    void KeyUp(const std::string& control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Apply(const FieldUpdate& update);
    std::string Text(const std::string& control) const;

    ModProject& project_;
    Hooks hooks_;
    QStringListModel* samples_ = nullptr;
    std::map<std::string, QComboBox*> slots_;
    std::map<QObject*, std::string> owners_;  // a slot's box and its line edit: the slot
    std::string beforeText_;                  // the slot's text when the last key went down
};
