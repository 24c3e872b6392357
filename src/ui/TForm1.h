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
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "mods/ModProject.h"

class BonusPanels;
class ComponentsPanel;
class FieldPanel;
class FindWindow;
class ModPanel;
class ObjectListBox;
class Placement;
class QAction;
class QLabel;
class QListWidget;
class QPushButton;
class SamplePlayer;
class SoundPanel;
class TBrixSaver;
class TForm3;
class TForm4;
class TForm5;
class CheckReport;
struct CheckFinding;
class TextReport;

// The answers to "Save changes to ... before closing it?".
enum class SaveChangesAnswer : uint8_t { Save, Discard, Cancel };

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
    // The build window, made beside this one at start-up; without one, the first save makes
    // a window of its own.
    void SetBuildWindow(TBrixSaver* saver) { saver_ = saver; }
    TBrixSaver* BuildWindow();
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
    // How a save asks before it replaces a package: true for OK. By default a message box.
    void SetOverwriteConfirmation(Confirmation confirm) { confirmOverwrite_ = std::move(confirm); }
    // How a save asks whether to go on although the check found errors: true for Save Anyway.
    // By default a message box.
    void SetSaveWithErrorsConfirmation(Confirmation confirm) {
        confirmSaveWithErrors_ = std::move(confirm);
    }
    // How New, Load and closing ask what becomes of unsaved changes. By default a message box
    // with Save, Discard and Cancel.
    using SaveChangesQuestion = std::function<SaveChangesAnswer(const QString& question)>;
    void SetSaveChangesQuestion(SaveChangesQuestion ask) { askSaveChanges_ = std::move(ask); }
    // How a history is given its file: returns the chosen path, or empty to cancel. By default
    // the common save dialog, proposing proposedPath.
    using HistoryFileChooser = std::function<std::string(const std::string& proposedPath)>;
    void SetHistoryFileChooser(HistoryFileChooser choose) {
        chooseHistoryFile_ = std::move(choose);
    }
    // How Browse asks for a WAV file: returns the chosen path, or empty to cancel. By default
    // the common open dialog (OpenDialog2).
    using WavFileChooser = std::function<std::string()>;
    void SetWavFileChooser(WavFileChooser choose) { chooseWav_ = std::move(choose); }
    // How opening a protected package asks for its access code, with this window hidden: the
    // text entered, or nothing for Cancel. By default the "Security check" window (made on
    // first use unless set).
    using AccessCodeAsker = ModProject::AccessCodePrompt;
    void SetAccessCodeAsker(AccessCodeAsker ask) { askAccessCode_ = std::move(ask); }
    void SetSecurityWindow(TForm5* security) { security_ = security; }
    // How the program ends when a protected mod's code was refused: the window is hidden then,
    // so closing it alone would leave the program running unseen. By default the application
    // quits.
    void SetProgramEnd(std::function<void()> end) { endProgram_ = std::move(end); }
    // What the Play buttons play through; by default SDL's sound.
    void SetSamplePlayer(std::unique_ptr<SamplePlayer> player);
    SamplePlayer& Player() { return *player_; }

    // The commands of the File menu. New and Load first ask about unsaved changes.
    void NewMod(GameEdition edition);
    void LoadMod(GameEdition edition);
    void OpenMod(const std::string& installPath, const std::string& packagePath);
    void ResetEditor();
    // Save Mod (Ctrl+S): checks the mod panel, asks before replacing a package, and writes
    // the package with the build window showing the writer's lines. Nothing while the mod is
    // read-only.
    void save_mod_menu_itemClick();
    void SaveVersionHistory1Click() { SaveHistory(false); }
    // Check Mod: the findings of the mod panel's identity and of every object as a save would
    // write it, in a window; a double click there shows the finding's object.
    void CheckMod1Click();
    CheckReport* CheckWindow() const { return checkReport_; }
    // Find (Ctrl+F) opens the find window; typing there shows the first object of the view
    // whose unique or proper name contains the text. Find Next (F3) goes on to the next match
    // and round to the top; Next Changed (F4) to the next object changed in this session or
    // supplied by the mod. With "All views" ticked both go on into the next view that holds
    // one. The list is searched, never filtered.
    void Find1Click();
    void FindNext1Click();
    void NextChanged1Click();
    FindWindow* FindBox() const { return find_; }
    // Compare With Mod: the open mod as saved against a package the Load chooser picks.
    void CompareWithMod1Click();
    TextReport* Report() const { return report_; }
    // Restore from mod (Ctrl+M) and from retail (Ctrl+R): the shown object goes back to what
    // the package or the game gave it, is shown again and its row recoloured.
    void Restorefrommod1Click();
    void Restorefromretail1Click();
    // Plays a sound slot's text: a sample of the game or a WAV file, without waiting for its
    // end; what cannot be played is told in a warning.
    void PlaySample(const std::string& text);
    void SaveGlobalHistory1Click() { SaveHistory(true); }
    // Whether the session holds changes that no save has written: a field edited, or a box
    // of the mod panel typed into, since the last save or load.
    bool UnsavedChanges() const;

    // View codes as the catalogue's (units 0 .. components 4).
    void SelectView(int view);
    void SortBy(size_t order);
    void SetHeroLevel(int level);
    void audio_data_toggleClick();
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
    void Warn(const QString& message);
    void StartNewMod(GameEdition edition);
    void StartLoadMod(GameEdition edition);
    // Asks about unsaved changes when there are some. True: go on now. False: stop; when the
    // answer was Save and the package was written, goOn runs once the build window's OK is
    // clicked.
    bool SettleUnsavedChanges(std::function<void()> goOn);
    // The save; true when the package was written. On the build window's OK, then runs, or
    // without one the saved package is reopened.
    bool SaveMod(std::function<void()> then);
    // The build window's OK.
    void BuildWindowClosed();
    void SaveHistory(bool global);
    void OpenProject(const std::string& installPath, const std::string& packagePath);
    std::optional<std::string> AskAccessCode(bool readOnlyOffered);
    void AfterRestore(bool restored);
    std::vector<CheckFinding> ModFindings();
    void ShowFindings(std::vector<CheckFinding> findings);
    void ShowFinding(const CheckFinding& finding);
    // Shows the first object after row `after` of the view list (-1: from the top) that
    // passes the test, going round to the top, or with "All views" into the following views;
    // tells the find window how it went. False when none passes.
    bool GoToMatch(const std::function<bool(const QSObjectData&)>& test, int after,
                   const QString& notFound);
    void FindTyped(const QString& text);
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
    TBrixSaver* saver_ = nullptr;
    std::unique_ptr<TBrixSaver> ownSaver_;
    PackageChooser choosePackage_;
    Confirmation confirm_;
    Warning warn_;
    Confirmation confirmOverwrite_;
    SaveChangesQuestion askSaveChanges_;
    HistoryFileChooser chooseHistoryFile_;
    WavFileChooser chooseWav_;
    AccessCodeAsker askAccessCode_;
    std::function<void()> endProgram_;
    TForm5* security_ = nullptr;
    std::unique_ptr<TForm5> ownSecurity_;
    TextReport* report_ = nullptr;  // made on first use, a child of this window
    CheckReport* checkReport_ = nullptr;
    FindWindow* find_ = nullptr;  // made on first use, a child of this window
    Confirmation confirmSaveWithErrors_;
    std::unique_ptr<SamplePlayer> player_;

    // The last build, until its window's OK.
    struct Build {
        bool saved = false;
        std::filesystem::path package;
        std::function<void()> then;
    };
    Build build_;
    bool closeSettled_ = false;   // the close goes on without asking (the changes were saved)
    bool hiddenForCode_ = false;  // hidden while the security check asks; shown again after

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
