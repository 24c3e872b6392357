// ComponentsPanel: the components check list of the Units view's build hierarchy.
//
// One item per component name; ticking or unticking records whether the shown unit needs
// that component, and the items take the colours the core gives them.
#pragma once

#include <QObject>
#include <functional>

#include "mods/ModProject.h"

class CheckList;
class Placement;
class QWidget;

class ComponentsPanel : public QObject {
    Q_OBJECT

  public:
    struct Hooks {
        std::function<int()> currentIndex;
        std::function<void()> repaintList;
    };

    ComponentsPanel(QWidget* client, Placement& placement, ModProject& project, Hooks hooks);

    void FillList(const std::vector<std::string>& componentNames);
    void EmptyList();
    void Render(const ShownObject& shown);
    CheckList* List() const { return list_; }

  private:
    ModProject& project_;
    Hooks hooks_;
    CheckList* list_ = nullptr;
};
