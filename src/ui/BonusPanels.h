// BonusPanels: the personal and company modifier panels of units and heroes.
//
// Eight check lists (the base lists and the three hero levels of each kind), each with six
// rows of a bonus name and its value box. Ticking, unticking and editing a value go to the
// project, which changes the shown object's lists and records the change; the panel renders
// what comes back. Each list and row has a fixed place, so nothing moves from one object to
// the next.
#pragma once

#include <QObject>
#include <array>
#include <functional>

#include "mods/ModProject.h"

class CheckList;
class Placement;
class QLabel;
class QLineEdit;
class QWidget;

class BonusPanels : public QObject {
    Q_OBJECT

  public:
    struct Hooks {
        std::function<int()> currentIndex;
        std::function<void()> repaintList;
        std::function<void()> showObject;                 // the object must be shown again
        std::function<void(const std::string&)> message;  // a warning for the user
    };

    BonusPanels(QWidget* client, Placement& placement, ModProject& project, Hooks hooks);

    void FillLists(const std::vector<QSBRIXBonusData>& definitions);
    void EmptyLists();
    void Render(const ShownObject& shown);
    // Hides the rows of the shown lists that hold no bonus (after the placement's rules).
    void HideEmptyRows();

    CheckList* List(int list) const { return lists_[static_cast<size_t>(list)]; }
    QLineEdit* Value(int list, int row) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RenderPanel(int list, const BonusPanel& panel);
    void Toggled(int list, int item, bool checked);
    void ValueEdited(int list, int row, const std::string& text, bool undo);
    void Apply(const BonusUpdate& update);

    ModProject& project_;
    Hooks hooks_;
    std::array<CheckList*, kBonusPanelCount> lists_{};
    std::array<std::array<QLabel*, kBonusRows>, kBonusPanelCount> names_{};
    std::array<std::array<QLineEdit*, kBonusRows>, kBonusPanelCount> values_{};
};
