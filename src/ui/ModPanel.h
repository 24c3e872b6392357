// ModPanel: the mod's identity on the left of the main window, and the two history memos.
//
// The boxes show the identity the project holds; typing in one marks it red (changed since
// the last save) and copies what the identity keeps as typed. The layout of the boxes is
// the table in ModPanel.cpp, joined to the project's identity fields by control name.
#pragma once

#include <QObject>
#include <map>
#include <string>

#include "mods/ModProject.h"

class QLabel;
class QPlainTextEdit;
class QWidget;

class ModPanel : public QObject {
    Q_OBJECT

  public:
    ModPanel(QWidget* client, ModProject& project);

    // Fills the boxes from the project's identity and the memos from its histories.
    void Render();
    // Shows the panel in black, with the open mod's edition picture and the chosen memo.
    void Show(bool globalHistory);
    void ShowHistory(bool global);
    void Hide();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* Control(const std::string& name) const { return controls_.at(name); }
    ModProject& project_;
    std::map<std::string, QWidget*> controls_;  // boxes, labels and pictures by object name
    QPlainTextEdit* versionHistory_ = nullptr;
    QPlainTextEdit* globalHistory_ = nullptr;
};
