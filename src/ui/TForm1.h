// TForm1: the editor's main window.
//
// One category of game objects (a view) is shown at a time: the object list on the left of
// the editing area names the objects of the view, and the panels to the right show the picked
// object's fields, bonuses, components or sounds. The window owns the menus, the view
// switching, the object list with its colours, selection, deletion and sorting; the panels
// (FieldPanel, BonusPanels, ComponentsPanel, SoundPanel, ModPanel) make their own controls,
// render what the core computes and hand edits to the project; Placement decides what is
// visible where.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "mods/ModProject.h"

class BonusPanels;
class ComponentsPanel;
class FieldPanel;
class ModPanel;
class ObjectListBox;
class Placement;
class QAction;
class QLabel;
class QListWidget;
class QPushButton;
class SoundPanel;
class TForm3;
class TForm4;

// What start-up found of the two editions.
struct InstalledEditions {
    bool base = false;
    bool expansion = false;
};

class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = 1019;
    static constexpr int kClientHeight = 696;

    // Logs the caption and the build time; the New commands stay disabled until the
    // editions found are set.
    explicit TForm1(ModProject& project, QWidget* parent = nullptr);
    ~TForm1() override;

    // Enables the New command of each edition that is installed.
    void SetInstalledEditions(InstalledEditions editions);
    // A menu item by object name, or null.
    QAction* Action(const std::string& name) const;

    // The Loading and About windows, made beside this one at start-up.
    void SetSecondaryWindows(TForm3* loading, TForm4* about);
    // How the Load commands ask for a package: returns the chosen path, or empty to cancel.
    // By default the common open dialog is run.
    using PackageChooser = std::function<std::string(const std::string& initialDirectory)>;
    void SetPackageChooser(PackageChooser chooser) { choosePackage_ = std::move(chooser); }
    // How Delete asks before it deletes: true for Yes. By default a message box asks.
    using Confirmation = std::function<bool(const QString& question)>;
    void SetConfirmation(Confirmation confirm) { confirm_ = std::move(confirm); }
    // How a warning is told. By default a message box with OK.
    using Warning = std::function<void(const QString& message)>;
    void SetWarning(Warning warn) { warn_ = std::move(warn); }

    // The commands of the File menu.
    void NewMod(GameEdition edition);
    void LoadMod(GameEdition edition);
    void OpenMod(const std::string& installPath, const std::string& packagePath);
    void ResetEditor();

    // View codes as the catalogue's (units 0 .. components 4).
    void SelectView(int view);
    void SortBy(size_t order);
    void SetHeroLevel(int level);
    void ToggleSoundPanel();
    void ShowHistory(bool global);
    // Shows the record at the current index of the view list in every control.
    void ShowObject();

    int CurrentView() const { return view_; }
    int CurrentIndex() const { return index_; }
    int HeroLevel() const { return heroLevel_; }
    bool SoundPanelMode() const { return soundMode_; }
    ModProject& Project() { return project_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    void BuildControls();
    void OpenProject(const std::string& installPath, const std::string& packagePath);
    void AfterOpening();
    void FillChoiceLists();
    void EmptyChoiceLists();
    void RebuildViewList();
    void FillList();
    void RepaintList();
    void ApplyVisibility();
    void HideAll();
    void DeleteCurrentObject();
    void SelectRow(int row);
    void EnableProjectMenus();
    void SetTabOrder();

    ModProject& project_;
    TForm3* loading_ = nullptr;
    TForm4* about_ = nullptr;
    PackageChooser choosePackage_;
    Confirmation confirm_;
    Warning warn_;

    QWidget* client_ = nullptr;
    ObjectListBox* list_ = nullptr;
    QListWidget* heroLevels_ = nullptr;
    QPushButton* audioToggle_ = nullptr;
    std::unique_ptr<Placement> placement_;
    FieldPanel* fields_ = nullptr;
    BonusPanels* bonuses_ = nullptr;
    ComponentsPanel* components_ = nullptr;
    SoundPanel* sounds_ = nullptr;
    ModPanel* modPanel_ = nullptr;
    std::map<std::string, QAction*> actions_;
    std::array<QLabel*, kViewCount> titles_{};

    int view_ = kViewUnits;
    int index_ = 0;
    std::array<int, kViewCount> remembered_{};
    int heroLevel_ = 0;
    bool soundMode_ = false;
    bool globalHistory_ = false;
    size_t sortOrder_ = 0;
};
