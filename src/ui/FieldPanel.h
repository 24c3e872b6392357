// FieldPanel: the field controls of the main window's editing area, made from the core's
// field table.
//
// One edit box, memo or drop-down list per field, each with its yellow label, found by the
// field's object name. Showing an object renders what the core's ShowObject computed; an edit
// hands the control's name and text to the project, which records the change and says what
// the controls must show. One handler per family (edit box, memo, drop-down list, unique
// name), driven by the table.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <string>

#include "mods/ModProject.h"

class Placement;
class QComboBox;
class QEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStringListModel;
class QWidget;

class FieldPanel : public QObject {
    Q_OBJECT

  public:
    // What the panel asks of its window.
    struct Hooks {
        std::function<int()> currentIndex;
        std::function<void()> repaintList;     // an object's change state changed
        std::function<void()> castChanged;     // a type was chosen in attack_2_type
        std::function<void(int)> selectClone;  // a clone was made at this view-list index
    };

    FieldPanel(QWidget* client, Placement& placement, ModProject& project, Hooks hooks);

    // Renders the field controls of a shown object (others are left to their panels).
    void Render(const ShownObject& shown);
    // Renders what an edit or an undo returned.
    void Apply(const FieldUpdate& update);
    // The lists whose items come from the open mod.
    void FillLists(const ListItemSet& lists);
    void EmptyLists();
    // Whether attack_2_type reads "Cast".
    bool Cast() const;

    QWidget* Control(const std::string& name) const;
    QLabel* Label(const std::string& name) const;
    QLineEdit* UniqueName() const { return uniqueName_; }
    QComboBox* Attack2Type() const { return attack2Type_; }
    QPlainTextEdit* Description() const { return description_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* MakeControl(const FieldDef& field);
    QLabel* MakeLabel(const std::string& name, const char* caption);
    QStringListModel* SharedModel(ListSource source);
    void Edited(const std::string& control, const std::string& text);
    void Undo(const std::string& control);
    void CloneFromUniqueName();

    QWidget* client_;
    ModProject& project_;
    Hooks hooks_;
    std::map<std::string, QWidget*> controls_;
    std::map<std::string, QLabel*> labels_;
    std::map<ListSource, QStringListModel*> models_;
    QLineEdit* uniqueName_ = nullptr;
    QComboBox* attack2Type_ = nullptr;
    QPlainTextEdit* description_ = nullptr;
};

// Limits typing in a box to a number of characters (a longer loaded value is still shown).
void LimitTyping(QLineEdit* edit, int limit);
// Shows each typed character as "#" (the access code boxes).
void MaskWithHashes(QLineEdit* edit);

// Whether an event is the press of Ctrl+Z, which takes a field's change back.
bool IsUndoKey(const QEvent* event);

// Renders one control's text, selected item and colour.
void RenderControl(QWidget* w, const ControlUpdate& c);
// The text colour of an edit box, memo or list.
void SetTextColor(QWidget* w, const QColor& color);
