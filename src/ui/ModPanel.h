// ModPanel: the mod's identity on the left of the main window, and the two history memos.
//
// The boxes show the identity the project holds; typing in one marks it red (changed since
// the last save) and copies what the identity keeps as typed; the version and the comments
// are read from their boxes when saving. Leaving the version box with text that is no version
// puts the saved version back. The layout of the boxes is the table in ModPanel.cpp, joined
// to the project's identity fields by control name.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <string>

#include "mods/ModProject.h"

class QLabel;
class QPlainTextEdit;
class QWidget;

class ModPanel : public QObject {
    Q_OBJECT

  public:
    using Warning = std::function<void(const QString& message)>;
    ModPanel(QWidget* client, ModProject& project, Warning warn);

    // Fills the boxes from the project's identity and the memos from its histories; what was
    // typed before is forgotten.
    void Render();
    // Shows the panel in black, with the open mod's edition picture and the chosen memo.
    void Show(bool globalHistory);
    void ShowHistory(bool global);
    void Hide();

    // The text of a box, by control name.
    std::string Text(const std::string& control) const;
    void SetVersion(const std::string& version);
    // Whether a box was typed into since the boxes were last filled.
    bool Typed() const { return typed_; }
    // The identity a save writes: the project's, with the boxes read when saving as they
    // stand, and the version the save checks passed.
    ModIdentity IdentityForSave(const std::string& version) const;
    // The text a history memo shows.
    QString HistoryText(bool global) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* Control(const std::string& name) const { return controls_.at(name); }
    void VersionExit();
    ModProject& project_;
    Warning warn_;
    bool typed_ = false;
    bool rendering_ = false;
    std::map<std::string, QWidget*> controls_;  // boxes, labels and pictures by object name
    QPlainTextEdit* versionHistory_ = nullptr;
    QPlainTextEdit* globalHistory_ = nullptr;
};
