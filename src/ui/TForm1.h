// TForm1: the editor's main window.
//
// One category of game objects (a view) is shown at a time: the object list on the left of
// the editing area names the objects of the view, and the controls to the right show the
// picked object's fields. Every control is made from the core's field table and found by its
// object name; what a control shows (text, colour, selected item) comes from the core's
// ShowObject, and the window only renders it. The window owns the view switching, the
// visibility rules, the object list with its colours, selection, deletion and sorting, and
// the menus that open a mod.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mods/ModProject.h"
#include "objects/ObjectDisplay.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStringListModel;
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
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Frame;
    struct Placed;

    void BuildMenus();
    void BuildControls();
    QLabel* MakeLabel(const std::string& name, const QString& caption, QWidget* parent);
    QWidget* MakeFieldControl(const FieldDef& field);
    void Place(const std::string& control, const char* frame, unsigned views, int level = -1);

    void OpenProject(const std::string& installPath, const std::string& packagePath);
    void AfterOpening();
    void FillChoiceLists();
    void EmptyChoiceLists();
    void RebuildViewList();
    void FillList();
    void ApplyVisibility();
    void HideAll();
    void ShowModPanel();
    void LayoutFrames();
    bool CastRule() const;
    void DeleteCurrentObject();
    void SelectRow(int row);
    void RenderShown(const ShownObject& shown);
    void EnableProjectMenus();
    // The model shared by every list of one computed source (a ListSource value), or of the
    // sample names (kSampleModel).
    static constexpr int kSampleModel = -1;
    QStringListModel* SharedModel(int key);
    void IdentityKeyUp(QObject* box);

    ModProject& project_;
    TForm3* loading_ = nullptr;
    TForm4* about_ = nullptr;
    PackageChooser choosePackage_;
    Confirmation confirm_;

    QWidget* client_ = nullptr;
    QListWidget* list_ = nullptr;
    QListWidget* heroLevels_ = nullptr;
    QPushButton* audioToggle_ = nullptr;
    std::map<std::string, QWidget*> controls_;  // every named control, labels included
    std::map<std::string, QAction*> actions_;
    std::map<int, QStringListModel*> models_;
    std::vector<std::unique_ptr<Frame>> frames_;
    std::vector<Placed> placed_;
    std::array<QLabel*, kViewCount> titles_{};

    int view_ = kViewUnits;
    int index_ = 0;
    std::array<int, kViewCount> remembered_{};
    int heroLevel_ = 0;
    bool soundMode_ = false;
    bool globalHistory_ = false;
    size_t sortOrder_ = 0;
    ListItemSet lists_;
    bool showing_ = false;  // set while controls are filled, so that no handler records
    std::array<int, 4> laidOut_{-1, -1, -1, -1};  // view, level, panel mode, Cast: the last layout
};
