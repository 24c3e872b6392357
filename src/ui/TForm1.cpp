#include "ui/TForm1.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>
#include <fstream>
#include <system_error>

#include "core/HashName.h"
#include "core/QSError.h"
#include "mods/ModChecker.h"
#include "mods/ModComparison.h"
#include "mods/QSVersionMgr.h"
#include "mods/Restore.h"
#include "mods/SamplePreview.h"
#include "objects/ObjectSearch.h"
#include "objects/SortOrders.h"
#include "ui/Art.h"
#include "ui/BonusPanels.h"
#include "ui/ChangeMarks.h"
#include "ui/CheckList.h"
#include "ui/CheckReport.h"
#include "ui/ComponentsPanel.h"
#include "ui/FieldPanel.h"
#include "ui/FindWindow.h"
#include "ui/ModPanel.h"
#include "ui/Placement.h"
#include "ui/SamplePlayer.h"
#include "ui/SoundPanel.h"
#include "ui/TBrixSaver.h"
#include "ui/TForm3.h"
#include "ui/TForm4.h"
#include "ui/TForm5.h"
#include "ui/TextReport.h"
#include "ui/TiledBackground.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QColor ToQColor(QSColor c) {
    return QColor(c.r, c.g, c.b);
}

// Captions of the view titles, by view code.
constexpr const char* kViewTitles[kViewCount] = {"Units", "Heroes", "Buildings", "Global Data",
                                                 "Components"};
constexpr const char* kViewMenuItems[kViewCount] = {"Units1", "Heroes1", "Buildings1",
                                                    "GlobalStats1", "Components1"};

}  // namespace

// The object list: a left-button release over a row picks it, the arrow keys' release picks
// the row they moved to; other buttons do nothing, not even move the highlight. Rows are as
// wide as the widest name, so a long one scrolls rather than being cut. A row is drawn in the
// colour of its record's change state, read from the record when it is painted, so that a
// change repaints the list without laying its rows out again.
class ObjectListBox : public QListWidget {
  public:
    std::function<void(int)> picked;
    std::function<void()> deleteRequested;

    explicit ObjectListBox(QWidget* parent);
    void SetRows(const QSObjectList& records) {
        clear();
        records_ = &records;
        QStringList names;
        names.reserve(static_cast<qsizetype>(records.Count()));
        for (const QSObjectData* r : records) names.append(Q(r->ProperName()));
        addItems(names);  // inserted as one block: the view lays its rows out once
        rowWidth_ = WidestName(names) + 6;
    }
    void Clear() {
        clear();
        records_ = nullptr;
    }
    uint8_t StateOf(int row) const {
        if (!records_ || row < 0 || static_cast<uint32_t>(row) >= records_->Count()) return 0;
        return (*records_)[static_cast<uint32_t>(row)]->changeState;
    }
    int RowWidth() const { return rowWidth_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) QListWidget::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->buttons() == Qt::LeftButton) QListWidget::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        QListWidget::mouseReleaseEvent(event);
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid() && picked) picked(at.row());
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        QListWidget::keyReleaseEvent(event);
        if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && picked)
            picked(currentRow());
        if (event->key() == Qt::Key_Delete && deleteRequested) deleteRequested();
    }

  private:
    // The width of the widest name as drawn. Measuring every name takes milliseconds for a
    // thousand rows, so each is first guessed from its characters' own advances, and only
    // the names guessed near the widest are measured.
    int WidestName(const QStringList& names) const {
        const QFontMetrics metrics(font());
        std::array<int, 128> advance;
        advance.fill(-1);
        auto guess = [&](const QString& name) {
            int width = 0;
            for (const QChar c : name) {
                const char16_t u = c.unicode();
                if (u >= advance.size()) return metrics.horizontalAdvance(name);
                if (advance[u] < 0) advance[u] = metrics.horizontalAdvance(c);
                width += advance[u];
            }
            return width;
        };
        std::vector<int> guesses;
        guesses.reserve(static_cast<size_t>(names.size()));
        for (const QString& name : names) guesses.push_back(guess(name));
        if (guesses.empty()) return 0;
        const auto first = std::max_element(guesses.begin(), guesses.end()) - guesses.begin();
        int widest = metrics.horizontalAdvance(names[first]);
        // Kerning and ligatures make a name narrower or a little wider than its characters'
        // advances add up to: a quarter of the widest is margin enough.
        const int near = widest - widest / 4;
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (i != first && guesses[static_cast<size_t>(i)] >= near)
                widest = std::max(widest, metrics.horizontalAdvance(names[i]));
        }
        return widest;
    }

    const QSObjectList* records_ = nullptr;
    int rowWidth_ = 0;
};

namespace {

// Draws a row's text in its state's colour on a pale selection, so red and green stay legible.
class ObjectRowDelegate : public QStyledItemDelegate {
  public:
    explicit ObjectRowDelegate(ObjectListBox* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect,
                          selected ? ToQColor(kSelectionFill) : option.palette.base().color());
        const uint8_t state = list_->StateOf(index.row());
        const QRect square = RowMarkSquare(option.rect, 2);
        DrawChangeMark(*painter, square, MarkOfState(state));
        painter->setPen(ToQColor(ObjectRowColor(state, selected)));
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(square.width() + 5, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const int height = std::max(13, option.fontMetrics.height());
        return QSize(list_->RowWidth() + ChangeMarkSize(height) + 3, height);
    }

  private:
    ObjectListBox* list_;
};

}  // namespace

ObjectListBox::ObjectListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new ObjectRowDelegate(this));
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

TForm1::TForm1(ModProject& project, QWidget* parent) : QMainWindow(parent), project_(project) {
    setObjectName("TForm1");
    const std::string caption =
        std::string("Brix: The Dravik Mod Maker, Version ") + kProgramVersion;
    setWindowTitle(Q(caption));
    setWindowIcon(ProgramIcon());
    // A fixed window: no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(FormFont());
    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setFixedSize(kClientWidth, kClientHeight);
    client_->setFont(EditingFont());
    // The change colours are meant on white: the boxes and lists keep a light palette on a
    // dark desktop too.
    client_->setPalette(QPalette(QColor(240, 240, 240)));
    client_->installEventFilter(this);
    setCentralWidget(client_);
    BuildMenus();
    BuildControls();
    HideAll();
    QSLOG(kLogInfo, "%s", caption.c_str());
    QSLOG(kLogInfo, "Compiled: %s %s", __DATE__, __TIME__);
    // Not resizable: the client area keeps its size below the menu bar.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    project_.Catalogue().SetWorkingComparator(SortComparator(sortOrder_));
    choosePackage_ = [this](const std::string& initial) {
        const QString file =
            QFileDialog::getOpenFileName(this, "Load mod from:", Q(initial), "Dravik mods (*.qsx)");
        return file.toStdString();
    };
    confirm_ = [this](const QString& question) {
        return QMessageBox::question(this, "Confirm", question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    warn_ = [this](const QString& message) {
        // While a build keeps this window disabled, a box of its would be disabled too: the
        // build window, on top, carries it then.
        QWidget* parent = this;
        if (!isEnabled() && saver_ && saver_->isVisible()) parent = saver_;
        QMessageBox::warning(parent, "Brix", message, QMessageBox::Ok);
    };
    confirmSaveWithErrors_ = [this](const QString& question) {
        QMessageBox box(QMessageBox::Warning, "Brix", question, QMessageBox::NoButton, this);
        QPushButton* save = box.addButton("Save Anyway", QMessageBox::AcceptRole);
        box.setDefaultButton(box.addButton("Go Back", QMessageBox::RejectRole));
        box.exec();
        return box.clickedButton() == save;
    };
    confirmOverwrite_ = [this](const QString& question) {
        return QMessageBox::question(this, "Confirm", question,
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
    askSaveChanges_ = [this](const QString& question) {
        switch (QMessageBox::question(
            this, "Confirm", question,
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save)) {
            case QMessageBox::Save:
                return SaveChangesAnswer::Save;
            case QMessageBox::Discard:
                return SaveChangesAnswer::Discard;
            default:
                return SaveChangesAnswer::Cancel;
        }
    };
    chooseHistoryFile_ = [this](const std::string& proposed) {
        QFileDialog dialog(this, "Save As");
        dialog.setObjectName("SaveDialog2");
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter("Text Files (*.txt)");
        dialog.setDefaultSuffix("txt");
        const std::filesystem::path path(proposed);
        if (path.has_parent_path()) dialog.setDirectory(Q(path.parent_path().string()));
        dialog.selectFile(Q(path.filename().string()));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::string();
        return dialog.selectedFiles().first().toStdString();
    };
    chooseWav_ = [this] {
        QFileDialog dialog(this, "Select WAV file:");
        dialog.setObjectName("OpenDialog2");
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter("WAV Audio Files (*.wav)");
        dialog.setDefaultSuffix("wav");
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::string();
        return dialog.selectedFiles().first().toStdString();
    };
    askAccessCode_ = [this](bool readOnlyOffered) -> std::optional<std::string> {
        if (!security_) {
            ownSecurity_ = std::make_unique<TForm5>();
            security_ = ownSecurity_.get();
        }
        return security_->Ask(readOnlyOffered);
    };
    endProgram_ = [] { QCoreApplication::quit(); };
    player_ = MakeSdlSamplePlayer();
    project_.SetAccessCodePrompt(
        [this](bool readOnlyOffered) { return AskAccessCode(readOnlyOffered); });
    // The menu shortcuts win over the editing keys of the box that has the focus.
    qApp->installEventFilter(this);
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
    project_.SetAccessCodePrompt({});
}

void TForm1::SetSamplePlayer(std::unique_ptr<SamplePlayer> player) {
    if (player_) player_->Stop();
    player_ = std::move(player);
}

void TForm1::SetSecondaryWindows(TForm3* loading, TForm4* about) {
    loading_ = loading;
    about_ = about;
}

TBrixSaver* TForm1::BuildWindow() {
    if (!saver_) {
        // A window of its own, not a child: this one is disabled while it shows.
        ownSaver_ = std::make_unique<TBrixSaver>();
        saver_ = ownSaver_.get();
    }
    return saver_;
}

void TForm1::Warn(const QString& message) {
    if (warn_) warn_(message);
}

// --- Menus ------------------------------------------------------------------------------------

void TForm1::SetInstalledEditions(InstalledEditions editions) {
    if (editions.base) actions_.at("new_dsc_mod_menu_item")->setEnabled(true);
    if (editions.expansion) actions_.at("new_dat_mod_menu_item")->setEnabled(true);
}

QAction* TForm1::Action(const std::string& name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void TForm1::BuildMenus() {
    struct Item {
        const char* name;
        const char* caption;
        const char* shortcut;
        bool enabled;
        std::function<void()> action;
    };
    auto menu = [this](const char* name, const char* title, const std::vector<Item>& items) {
        QMenu* m = menuBar()->addMenu(title);
        m->setObjectName(name);
        for (const Item& item : items) {
            auto* a = new QAction(item.caption, this);
            a->setObjectName(item.name);
            if (item.shortcut) a->setShortcut(QKeySequence(item.shortcut));
            a->setEnabled(item.enabled);
            if (item.action) connect(a, &QAction::triggered, this, item.action);
            m->addAction(a);
            actions_[item.name] = a;
        }
    };
    const std::string hyphens24(24, '-'), hyphens28(28, '-');
    menu("File1", "&File",
         {{"new_dsc_mod_menu_item", "New DSC Mod", nullptr, false,
           [this] { NewMod(GameEdition::Base); }},
          {"new_dat_mod_menu_item", "New DAT Mod", nullptr, false,
           [this] { NewMod(GameEdition::Expansion); }},
          {"N2", hyphens24.c_str(), nullptr, true, nullptr},
          {"load_mod_menu_item", "Load D&SC Mod", nullptr, true,
           [this] { LoadMod(GameEdition::Base); }},
          {"LoadDATMod1", "Load D&AT Mod", nullptr, true,
           [this] { LoadMod(GameEdition::Expansion); }},
          {"save_mod_menu_item", "&Save Mod", "Ctrl+S", false,
           [this] { save_mod_menu_itemClick(); }},
          {"N1", hyphens24.c_str(), nullptr, true, nullptr},
          {"SaveVersionHistory1", "Save &Version History", nullptr, false,
           [this] { SaveVersionHistory1Click(); }},
          {"SaveGlobalHistory1", "Save &Global History", nullptr, false,
           [this] { SaveGlobalHistory1Click(); }},
          {"N4", hyphens24.c_str(), nullptr, true, nullptr},
          {"CompareWithMod1", "&Compare With Mod...", nullptr, false,
           [this] { CompareWithMod1Click(); }}});
    menu("Edit1", "&Edit",
         {{"Restorefrommod1", "Restore from &mod", "Ctrl+M", false,
           [this] { Restorefrommod1Click(); }},
          {"Restorefromretail1", "Restore from &retail", "Ctrl+R", false,
           [this] { Restorefromretail1Click(); }},
          {"N5", hyphens24.c_str(), nullptr, true, nullptr},
          {"CheckMod1", "&Check Mod", nullptr, false, [this] { CheckMod1Click(); }},
          {"N6", hyphens24.c_str(), nullptr, true, nullptr},
          {"Find1", "&Find...", "Ctrl+F", false, [this] { Find1Click(); }},
          {"FindNext1", "Find &Next", "F3", false, [this] { FindNext1Click(); }},
          {"NextChanged1", "Next C&hanged", "F4", false, [this] { NextChanged1Click(); }}});
    menu("Object1", "&View",
         {{"Units1", "&Units", "Ctrl+U", false, [this] { SelectView(kViewUnits); }},
          {"Heroes1", "&Heroes", "Ctrl+H", false, [this] { SelectView(kViewHeroes); }},
          {"Buildings1", "&Buildings", "Ctrl+B", false, [this] { SelectView(kViewBuildings); }},
          {"GlobalStats1", "G&lobal Stats", "Ctrl+L", false, [this] { SelectView(kViewGlobal); }},
          {"Components1", "&Components", "Ctrl+C", false, [this] { SelectView(kViewComponents); }},
          {"N3", hyphens28.c_str(), nullptr, true, nullptr},
          {"ShowVersionHistory1", "Show &Version History", "Ctrl+V", false,
           [this] { ShowHistory(false); }},
          {"ShowGlobalHistory1", "Show &Global History", "Ctrl+G", false,
           [this] { ShowHistory(true); }}});
    std::vector<Item> sorts;
    for (size_t i = 0; i < kSortOrders.size(); ++i)
        sorts.push_back({kSortOrders[i].menuItem, kSortOrders[i].caption, nullptr, false,
                         [this, i] { SortBy(i); }});
    menu("Sort1", "&Sort", sorts);
    menu("Help1", "&Help",
         {{"VersionInfo1", "About &Brix", nullptr, true,
           [this] {
               if (about_) about_->ShowAbout();
           }},
          {"OnlineDocs1", "Brix &FAQ", nullptr, true, nullptr}});

    // Radio groups: choosing an item checks it and unchecks the others of its group.
    auto group = [this](std::vector<const char*> names, const char* checked) {
        auto* g = new QActionGroup(this);
        g->setExclusive(true);
        for (const char* n : names) {
            actions_[n]->setCheckable(true);
            g->addAction(actions_[n]);
        }
        actions_[checked]->setChecked(true);
    };
    group({kViewMenuItems, kViewMenuItems + kViewCount}, "Units1");
    group({"ShowVersionHistory1", "ShowGlobalHistory1"}, "ShowVersionHistory1");
    std::vector<const char*> sortNames;
    for (const SortOrderDef& s : kSortOrders) sortNames.push_back(s.menuItem);
    group(sortNames, "ByProperName1");
}

void TForm1::EnableProjectMenus() {
    for (const char* name :
         {"save_mod_menu_item", "SaveVersionHistory1", "SaveGlobalHistory1", "CompareWithMod1",
          "CheckMod1", "Find1", "FindNext1", "NextChanged1", "ShowVersionHistory1",
          "ShowGlobalHistory1", "Restorefrommod1", "Restorefromretail1", "Units1", "Heroes1",
          "Buildings1", "GlobalStats1", "Components1"})
        actions_[name]->setEnabled(true);
    for (const SortOrderDef& s : kSortOrders) actions_[s.menuItem]->setEnabled(true);
}

// --- Controls ---------------------------------------------------------------------------------

void TForm1::BuildControls() {
    // View titles, in large yellow type.
    for (int v = 0; v < kViewCount; ++v) {
        titles_[static_cast<size_t>(v)] =
            AddYellowLabel(client_, QString(kViewTitles[v]).remove(' ') + "_title", kViewTitles[v],
                           QPoint(258, 5), FormFont(18));
    }
    titles_[kViewUnits]->setToolTip(
        "Black=unchanged from retail game, purple=changed in mod but not in current session, "
        "red=changed "
        "in current session.");

    list_ = new ObjectListBox(client_);
    list_->setObjectName("UnitListBox");
    list_->setGeometry(256, 27, 176, 537);
    list_->setToolTip(kChangeMarksLegend);
    list_->picked = [this](int row) { SelectRow(row); };
    list_->deleteRequested = [this] { DeleteCurrentObject(); };

    placement_ = std::make_unique<Placement>(client_);
    auto index = [this] { return index_; };
    fields_ = new FieldPanel(client_, *placement_, project_,
                             {index, [this] { RepaintList(); }, [this] { ApplyVisibility(); },
                              [this](int clone) {
                                  FillList();
                                  SelectRow(clone);
                              }});
    components_ =
        new ComponentsPanel(client_, *placement_, project_, {index, [this] { RepaintList(); }});
    bonuses_ = new BonusPanels(client_, *placement_, project_,
                               {index, [this] { RepaintList(); },
                                [this] {
                                    ShowObject();
                                    ApplyVisibility();
                                },
                                [this](const std::string& message) {
                                    if (warn_) warn_(Q(message));
                                }});
    heroLevels_ = new QListWidget(client_);
    heroLevels_->setObjectName("hero_level_listbox");
    heroLevels_->addItems({"Awakened", "Enlightened", "Restored", "Ascended"});
    heroLevels_->setGeometry(760, 2, 90, 62);
    heroLevels_->viewport()->installEventFilter(this);
    placement_->Place(heroLevels_, nullptr, nullptr, kInHeroes);
    audioToggle_ = new QPushButton("Set Audio", client_);
    audioToggle_->setObjectName("audio_data_toggle");
    audioToggle_->setGeometry(933, 437, 75, 22);
    connect(audioToggle_, &QPushButton::clicked, this, &TForm1::audio_data_toggleClick);
    placement_->Place(audioToggle_, nullptr, nullptr, kInUnits | kInHeroes);
    sounds_ = new SoundPanel(client_, *placement_, project_,
                             {index, [this] { RepaintList(); },
                              [this] { return chooseWav_ ? chooseWav_() : std::string(); },
                              [this](const QString& message) { Warn(message); },
                              [this](const std::string& text) { PlaySample(text); }});
    QPlainTextEdit* description = fields_->Description();
    description->setGeometry(796, 253, 212, 99);
    if (QLabel* l = fields_->Label("description_label")) l->move(796, 238);
    modPanel_ = new ModPanel(client_, project_, [this](const QString& message) { Warn(message); });
    SetTabOrder();
}

// Tab walks the editing controls frame by frame, in the order the frames list them, then the
// modifier panels, the sound slots and the mod panel; hidden controls are passed over.
void TForm1::SetTabOrder() {
    std::vector<QWidget*> chain{list_, fields_->UniqueName()};
    auto addField = [&](const std::string& name) {
        if (QWidget* w = fields_->Control(name)) chain.push_back(w);
        for (const char* suffix : {"_enlightened", "_restored", "_ascended"}) {
            if (QWidget* w = fields_->Control(name + suffix)) chain.push_back(w);
        }
    };
    for (const FieldPlace& place : FieldPlaces()) addField(place.control);
    chain.push_back(components_->List());
    chain.push_back(heroLevels_);
    for (int list = 0; list < kBonusPanelCount; ++list) {
        chain.push_back(bonuses_->List(list));
        for (int row = 1; row <= kBonusRows; ++row) chain.push_back(bonuses_->Value(list, row));
    }
    chain.push_back(audioToggle_);
    for (const SoundSlotDef& s : kSoundSlotTable) chain.push_back(sounds_->Slot(s.control));
    for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// --- Visibility ---------------------------------------------------------------------------------

void TForm1::HideAll() {
    placement_->HideAll();
    modPanel_->Hide();
    for (QLabel* t : titles_) t->hide();
    list_->hide();
}

void TForm1::ApplyVisibility() {
    for (int v = 0; v < kViewCount; ++v) titles_[static_cast<size_t>(v)]->setVisible(v == view_);
    list_->setVisible(view_ != kViewGlobal);
    placement_->Apply({view_, heroLevel_, soundMode_, fields_->Cast()});
    bonuses_->HideEmptyRows();
}

void TForm1::ShowHistory(bool global) {
    globalHistory_ = global;
    modPanel_->ShowHistory(global);
    actions_.at(global ? "ShowGlobalHistory1" : "ShowVersionHistory1")->setChecked(true);
}

// --- Opening ----------------------------------------------------------------------------------

void TForm1::NewMod(GameEdition edition) {
    if (SettleUnsavedChanges([this, edition] { StartNewMod(edition); })) StartNewMod(edition);
}

void TForm1::StartNewMod(GameEdition edition) {
    if (project_.ProjectOpen()) ResetEditor();
    OpenProject(project_.InstallationPath(edition), "");
}

void TForm1::LoadMod(GameEdition edition) {
    if (SettleUnsavedChanges([this, edition] { StartLoadMod(edition); })) StartLoadMod(edition);
}

void TForm1::StartLoadMod(GameEdition edition) {
    const std::string dir = project_.InstallationPath(edition);
    const std::string file = choosePackage_ ? choosePackage_(dir) : std::string();
    if (file.empty()) return;
    OpenMod(dir, file);
}

void TForm1::OpenMod(const std::string& installPath, const std::string& packagePath) {
    if (project_.ProjectOpen()) ResetEditor();
    OpenProject(installPath, packagePath);
}

void TForm1::OpenProject(const std::string& installPath, const std::string& packagePath) {
    EnableProjectMenus();
    setEnabled(false);
    if (loading_) {
        loading_->setEnabled(true);
        loading_->ShowForLoad();
    }
    project_.SetProgressCallback([this](const OpenProgress& p) {
        if (loading_) loading_->SetProgress(p.Fraction());
    });
    // The editor's list order applies to the working lists as they are loaded.
    project_.Catalogue().SetWorkingComparator(SortComparator(sortOrder_));
    OpenOutcome outcome = OpenOutcome::Full;
    if (packagePath.empty()) {
        const GameEdition edition =
            installPath == project_.InstallationPath(GameEdition::Expansion) &&
                    installPath != project_.InstallationPath(GameEdition::Base)
                ? GameEdition::Expansion
                : GameEdition::Base;
        project_.NewMod(edition);
    } else {
        outcome = project_.OpenMod(installPath, packagePath);
    }
    project_.SetProgressCallback({});
    if (loading_) loading_->FinishLoad();
    if (outcome == OpenOutcome::End) {
        // No code, no mod: the program ends, as the security check warned.
        QSLOG(kLogInfo, "Access code refused, closing.");
        hiddenForCode_ = false;
        closeSettled_ = true;
        close();
        closeSettled_ = false;
        if (endProgram_) endProgram_();
        return;
    }
    // Read-only: the mod can be looked at, and Save Mod stays grey.
    actions_.at("save_mod_menu_item")->setEnabled(!project_.ReadOnly());
    FillChoiceLists();
    modPanel_->Render();
    setEnabled(true);
    if (hiddenForCode_) show();
    hiddenForCode_ = false;
    AfterOpening();
}

// The main window stays hidden while the security check asks.
std::optional<std::string> TForm1::AskAccessCode(bool readOnlyOffered) {
    if (loading_) loading_->FinishLoad();
    hiddenForCode_ = isVisible();
    hide();
    return askAccessCode_ ? askAccessCode_(readOnlyOffered) : std::nullopt;
}

void TForm1::AfterOpening() {
    remembered_ = {};
    index_ = 0;
    RebuildViewList();
    FillList();
    ShowObject();
    modPanel_->Show(globalHistory_);
    ShowHistory(globalHistory_);
    ApplyVisibility();
}

void TForm1::FillChoiceLists() {
    const ObjectCatalogue& c = project_.Catalogue();
    fields_->FillLists(project_.Lists());
    components_->FillList(c.ComponentNames());
    bonuses_->FillLists(c.BonusDefinitions());
    sounds_->FillList(c.SampleNames());
}

void TForm1::EmptyChoiceLists() {
    fields_->EmptyLists();
    components_->EmptyList();
    bonuses_->EmptyLists();
    sounds_->EmptyList();
}

void TForm1::ResetEditor() {
    HideAll();
    list_->Clear();
    EmptyChoiceLists();
    project_.Reset();
    modPanel_->Render();
}

// --- Saving -----------------------------------------------------------------------------------

bool TForm1::UnsavedChanges() const {
    // A read-only mod cannot be saved, so there is nothing to ask about.
    return project_.ProjectOpen() && !project_.ReadOnly() &&
           (project_.Changes().Count() > 0 || modPanel_->Typed());
}

bool TForm1::SettleUnsavedChanges(std::function<void()> goOn) {
    if (!UnsavedChanges()) return true;
    const std::string name = modPanel_->Text("mod_name");
    const QString question = QString("Save changes to %1 before closing it?")
                                 .arg(name.empty() ? QString("the new mod") : Q(name));
    const SaveChangesAnswer answer =
        askSaveChanges_ ? askSaveChanges_(question) : SaveChangesAnswer::Cancel;
    if (answer == SaveChangesAnswer::Discard) return true;
    if (answer == SaveChangesAnswer::Save) SaveMod(std::move(goOn));
    return false;
}

void TForm1::save_mod_menu_itemClick() {
    SaveMod(nullptr);
}

bool TForm1::SaveMod(std::function<void()> then) {
    if (!project_.ProjectOpen() || project_.ReadOnly()) return false;
    if (saver_ && saver_->isVisible()) return false;  // a build waits for its OK
    const std::string name = modPanel_->Text("mod_name");
    const std::string identifier = modPanel_->Text("two_character_identifier");
    const std::string typed = modPanel_->Text("version");
    const SaveCheckResult check =
        CheckModForSave({name, identifier, typed, project_.Identity().savedVersion});
    if (check.versionChanged) modPanel_->SetVersion(check.version);
    if (!check.passed) {
        Warn(Q(check.message));
        return false;
    }
    // What the game may not accept is said before the save, and the user decides.
    const std::vector<CheckFinding> findings = CheckMod(project_, {false});
    if (HasErrors(findings)) {
        QString question = "The check found problems that the game may not accept:\n\n";
        int errors = 0;
        for (const CheckFinding& f : findings) {
            if (f.severity != FindingSeverity::Error) continue;
            if (++errors <= 8) question += Q(FindingLine(f)) + "\n";
        }
        if (errors > 8) question += QString("... and %1 more.\n").arg(errors - 8);
        question += "\nSave anyway?";
        if (!confirmSaveWithErrors_ || !confirmSaveWithErrors_(question)) {
            ShowFindings(findings);
            return false;
        }
    }

    const std::filesystem::path package = project_.PackagePathFor(name);
    std::error_code error;
    if (std::filesystem::exists(package, error)) {
        const QString question =
            QString("Are you sure you want to overwrite %1?").arg(Q(package.string()));
        if (!confirmOverwrite_ || !confirmOverwrite_(question)) return false;
    }
    const ModIdentity identity = modPanel_->IdentityForSave(check.version);

    TBrixSaver* saver = BuildWindow();
    setEnabled(false);
    saver->Reset("Building Mod");
    saver->ShowForBuild();
    // The writer runs on this thread; each of its lines is drawn as it comes.
    SetResourcerSink([saver](const std::string& line) { saver->AddLine(Q(line)); });
    std::string failure;
    const bool saved = project_.SaveMod(identity, package, &failure);
    SetResourcerSink({});
    build_ = {saved, package, saved ? std::move(then) : nullptr};
    saver->SetOnOk([this] { BuildWindowClosed(); });
    if (!saved) {
        // The writer reports most failures as its last line; any other is added.
        QString reason = Q(failure);
        reason.replace('\n', ' ');
        QListWidget* lines = saver->List();
        if (lines->count() == 0 || lines->item(lines->count() - 1)->text() != reason)
            saver->AddLine(reason);
    }
    saver->Finish();
    if (!saved)
        Warn(QString("Couldn't save the mod to %1: %2").arg(Q(package.string()), Q(failure)));
    return saved;
}

// OK in the build window. A failed save leaves everything as it was, so that the cause can be
// mended and the save tried again; a good one opens the package as Load does, unless the
// save was asked for by a command that now goes on.
void TForm1::BuildWindowClosed() {
    Build build = std::move(build_);
    build_ = {};
    setEnabled(true);
    activateWindow();
    if (!build.saved) return;
    if (build.then) {
        build.then();
        return;
    }
    const std::string installPath = project_.EditionInstallationPath();
    OpenMod(installPath, build.package.string());
}

// The memo's text is written as the core holds it, line ends and all (the memo shows them
// as line feeds).
void TForm1::SaveHistory(bool global) {
    const std::string name = modPanel_->Text("mod_name");
    if (!project_.ProjectOpen() || name.empty() || modPanel_->HistoryText(global).isEmpty()) return;
    const std::filesystem::path proposed =
        std::filesystem::path(project_.EditionInstallationPath()) /
        (name + (global ? "_global_history.txt" : "_version_history.txt"));
    const std::string file = chooseHistoryFile_ ? chooseHistoryFile_(proposed.string()) : "";
    if (file.empty()) return;
    const std::string& text = global ? project_.GlobalHistory() : project_.VersionHistory();
    if (!WriteTextFile(file, text)) Warn(QString("Couldn't save the history to %1.").arg(Q(file)));
}

// The open mod as its package stands on disk (a new mod: the game alone) against a package
// the user picks; the differences are shown in a text window that can be saved.
void TForm1::CompareWithMod1Click() {
    if (!project_.ProjectOpen()) return;
    const std::string dir = project_.EditionInstallationPath();
    const std::string other = choosePackage_ ? choosePackage_(dir) : std::string();
    if (other.empty()) return;
    const std::string mine = project_.OpenedPackagePath();
    setEnabled(false);
    if (loading_) loading_->ShowForLoad();
    // Each side is opened in both passes; the bar runs once per opening.
    const std::vector<ComparisonLine> lines =
        CompareInstallStates(dir, mine, other, [this](const OpenProgress& p) {
            if (loading_) loading_->SetProgress(p.Fraction());
        });
    if (loading_) loading_->FinishLoad();
    setEnabled(true);
    const auto title = [](const std::string& package) {
        return package.empty() ? std::string("the game")
                               : std::filesystem::path(package).stem().string();
    };
    std::string text = ComparisonText(lines);
    if (text.empty()) text = "No differences.\r\n";
    if (!report_) {
        report_ = new TextReport(
            this, [this](const std::string& proposed) {
                return chooseHistoryFile_ ? chooseHistoryFile_(proposed) : std::string();
            },
            [this](const QString& message) { Warn(message); });
    }
    const std::string proposed =
        (std::filesystem::path(dir) / (title(mine) + "_vs_" + title(other) + ".txt")).string();
    report_->ShowText(Q("Compare " + title(mine) + " with " + title(other)), std::move(text),
                      proposed);
}

// --- Views, lists, sorting --------------------------------------------------------------------

void TForm1::RebuildViewList() {
    ObjectCatalogue& c = project_.Catalogue();
    c.SetWorkingComparator(SortComparator(sortOrder_));
    c.SelectView(view_);
    c.SortViewList();
}

void TForm1::SelectView(int view) {
    if (view < 0 || view >= kViewCount) return;
    remembered_[static_cast<size_t>(view_)] = index_;
    view_ = view;
    RebuildViewList();
    index_ = view == kViewGlobal ? 0 : remembered_[static_cast<size_t>(view)];
    if (view != kViewGlobal) FillList();
    ShowObject();
    actions_.at(kViewMenuItems[view])->setChecked(true);
    ApplyVisibility();
}

void TForm1::SortBy(size_t order) {
    if (order >= kSortOrders.size()) return;
    sortOrder_ = order;
    RebuildViewList();
    FillList();
    actions_.at(kSortOrders[order].menuItem)->setChecked(true);
    index_ = 0;
    ShowObject();
    ApplyVisibility();
}

void TForm1::FillList() {
    list_->SetRows(project_.Catalogue().ViewList());
    list_->viewport()->update();
}

void TForm1::RepaintList() {
    list_->viewport()->update();
}

void TForm1::SetHeroLevel(int level) {
    if (level < 0 || level > 3) return;
    heroLevel_ = level;
    ApplyVisibility();
}

void TForm1::audio_data_toggleClick() {
    soundMode_ = !soundMode_;
    audioToggle_->setText(soundMode_ ? "Set Data" : "Set Audio");
    ShowObject();
    ApplyVisibility();
}

void TForm1::SelectRow(int row) {
    if (row < 0 || row >= static_cast<int>(project_.Catalogue().ViewList().Count())) return;
    index_ = row;
    ShowObject();
    ApplyVisibility();
}

void TForm1::DeleteCurrentObject() {
    ObjectCatalogue& c = project_.Catalogue();
    const QSObjectList& view = c.ViewList();
    if (index_ < 0 || index_ >= static_cast<int>(view.Count())) return;
    QSObjectData* record = view[static_cast<uint32_t>(index_)];
    if (c.FindRetailCounterpart(record->UniqueName().c_str())) return;
    const QString question = QString("Are you sure you want to delete %1(%2)?")
                                 .arg(Q(record->UniqueName()), Q(record->ProperName()));
    if (!confirm_ || !confirm_(question)) return;
    project_.Changes().RemoveChangesOf(record->UniqueName());
    c.DeleteObject(index_);
    FillList();
    if (index_ >= static_cast<int>(c.ViewList().Count())) index_ = 0;
    ShowObject();
    ApplyVisibility();
}

// --- Checking -----------------------------------------------------------------------------

// The identity as the mod panel holds it, then every object as a save would write it.
std::vector<CheckFinding> TForm1::ModFindings() {
    std::vector<CheckFinding> findings =
        CheckIdentity({modPanel_->Text("mod_name"), modPanel_->Text("two_character_identifier"),
                       modPanel_->Text("version"), project_.Identity().savedVersion});
    for (CheckFinding& f : CheckMod(project_, {false})) findings.push_back(std::move(f));
    return findings;
}

void TForm1::CheckMod1Click() {
    if (project_.ProjectOpen()) ShowFindings(ModFindings());
}

void TForm1::ShowFindings(std::vector<CheckFinding> findings) {
    if (!checkReport_)
        checkReport_ = new CheckReport(this, [this](const CheckFinding& f) { ShowFinding(f); });
    checkReport_->ShowFindings(std::move(findings));
}

// Brings the finding's object and control into view: its view, its row, the hero level or
// the sound panel its control sits on, and the focus on the control.
void TForm1::ShowFinding(const CheckFinding& finding) {
    QWidget* control = nullptr;
    if (finding.view == kIdentityView) {
        const char* box = finding.key == "Name"         ? "mod_name"
                          : finding.key == "Identifier" ? "two_character_identifier"
                                                        : "version";
        control = findChild<QLineEdit*>(box);
    } else {
        SelectView(finding.view);
        const QSObjectList& list = project_.Catalogue().ViewList();
        for (uint32_t i = 0; i < list.Count(); ++i) {
            if (SameName(list[i]->UniqueName(), finding.object)) {
                SelectRow(static_cast<int>(i));
                break;
            }
        }
        const bool sound = std::any_of(kSoundSlotTable.begin(), kSoundSlotTable.end(),
                                       [&](const SoundSlotDef& s) { return finding.control == s.control; });
        if (sound != soundMode_ && (view_ == kViewUnits || view_ == kViewHeroes))
            audio_data_toggleClick();
        if (view_ == kViewHeroes) {
            int level = 0;
            for (const auto& [suffix, l] : {std::pair{"_enlightened", 1}, {"_restored", 2}, {"_ascended", 3}}) {
                if (finding.control.ends_with(suffix)) level = l;
            }
            SetHeroLevel(level);
        }
        control = sound ? sounds_->Slot(finding.control) : fields_->Control(finding.control);
    }
    activateWindow();
    if (control && control->isVisible()) control->setFocus();
}

// --- Finding -------------------------------------------------------------------------------

void TForm1::Find1Click() {
    if (!project_.ProjectOpen()) return;
    if (!find_) {
        find_ = new FindWindow(this);
        // The window's own keys: Ctrl+F, F3 and F4 work while it has the focus.
        find_->addActions({actions_.at("Find1"), actions_.at("FindNext1"),
                           actions_.at("NextChanged1")});
        connect(find_, &FindWindow::textTyped, this, &TForm1::FindTyped);
        connect(find_, &FindWindow::findNext, this, &TForm1::FindNext1Click);
        connect(find_, &FindWindow::nextChanged, this, &TForm1::NextChanged1Click);
        // Over the lower right of the editor, clear of the object list.
        find_->adjustSize();
        const QRect editor = frameGeometry();
        find_->move(editor.right() - find_->width() - 24, editor.bottom() - find_->height() - 48);
    }
    find_->Open();
}

void TForm1::FindTyped(const QString& text) {
    if (text.isEmpty()) {
        find_->SetStatus(QString());
        return;
    }
    const std::string wanted = text.toStdString();
    GoToMatch([&](const QSObjectData& r) { return NameContains(r, wanted); }, -1,
              QString("No name contains \"%1\".").arg(text));
}

void TForm1::FindNext1Click() {
    if (!project_.ProjectOpen()) return;
    if (!find_ || find_->Text().isEmpty()) {
        Find1Click();
        return;
    }
    const std::string wanted = find_->Text().toStdString();
    GoToMatch([&](const QSObjectData& r) { return NameContains(r, wanted); }, index_,
              QString("No name contains \"%1\".").arg(find_->Text()));
}

void TForm1::NextChanged1Click() {
    if (!project_.ProjectOpen()) return;
    GoToMatch(MarkedAsChanged, index_, "No object is changed or supplied by the mod.");
}

bool TForm1::GoToMatch(const std::function<bool(const QSObjectData&)>& test, int after,
                       const QString& notFound) {
    ObjectCatalogue& c = project_.Catalogue();
    const bool allViews = find_ && find_->AllViews();
    auto tell = [this](const QString& status) {
        if (find_) find_->SetStatus(status);
    };
    // The view without a list (Global Data) holds nothing to find.
    const bool listed = view_ != kViewGlobal;
    if (!listed) after = -1;
    if (listed) {
        const int row = NextMatchingRow(c.ViewList(), after, test, false);
        if (row >= 0) {
            SelectRow(row);
            tell(QString());
            return true;
        }
    }
    if (allViews) {
        for (int step = 1; step < kViewCount; ++step) {
            const int view = (view_ + step) % kViewCount;
            if (view == kViewGlobal) continue;
            const QSObjectList& objects = c.Objects(view, false);
            if (NextMatchingRow(objects, -1, test, false) < 0) continue;
            SelectView(view);
            SelectRow(NextMatchingRow(c.ViewList(), -1, test, false));
            tell(QString("Went on to %1.").arg(kViewTitles[view]));
            return true;
        }
    }
    // Round to the top of this view.
    const int row = listed && after >= 0 ? NextMatchingRow(c.ViewList(), -1, test, false) : -1;
    if (row >= 0 && row <= after) {
        SelectRow(row);
        tell(row == after ? QString("No other match.") : QString("Went on from the top."));
        return true;
    }
    tell(notFound);
    QApplication::beep();
    return false;
}

// --- Restoring, playing --------------------------------------------------------------------

void TForm1::Restorefrommod1Click() {
    AfterRestore(RestoreFromMod(project_.Catalogue(), project_.Changes(), project_.Resources(),
                                index_));
}

void TForm1::Restorefromretail1Click() {
    AfterRestore(RestoreFromRetail(project_.Catalogue(), project_.Changes(), index_));
}

void TForm1::AfterRestore(bool restored) {
    if (!restored) return;
    ShowObject();
    ApplyVisibility();
    RepaintList();
}

void TForm1::PlaySample(const std::string& text) {
    WavAudio audio;
    std::string problem;
    if (!LoadSampleAudio(project_.Resources(), project_.Catalogue(), text, audio, problem)) {
        Warn(QString("Can't play: %1").arg(Q(problem)));
        return;
    }
    if (!player_->Play(audio, &problem))
        Warn(QString("Can't play \"%1\": %2.").arg(Q(text), Q(problem)));
}

// --- Showing an object ------------------------------------------------------------------------

void TForm1::ShowObject() {
    const ShownObject shown = project_.Show(index_, soundMode_);
    fields_->Render(shown);
    bonuses_->Render(shown);
    components_->Render(shown);
    sounds_->Render(shown);
    // The shown object's row is the highlighted one.
    if (view_ != kViewGlobal && index_ < list_->count() && list_->currentRow() != index_)
        list_->setCurrentRow(index_);
}

// --- Events -----------------------------------------------------------------------------------

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Paint) {
        if (PaintTiledBackground(*client_)) {
            QSLOG(kLogInfo, "Failure drawing background.");
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        }
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // A box would take Ctrl+C, Ctrl+V, Ctrl+U... for its own editing; in this window the
        // menu's shortcuts come first.
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && isAncestorOf(w)) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QKeySequence pressed(key->keyCombination());
            for (const auto& [name, action] : actions_) {
                if (action->isEnabled() && !action->shortcut().isEmpty() &&
                    action->shortcut() == pressed)
                    return true;
            }
        }
    }
    if (heroLevels_ && watched == heroLevels_->viewport() &&
        event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QModelIndex at = heroLevels_->indexAt(mouse->position().toPoint());
            if (at.isValid()) SetHeroLevel(at.row());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Not while a build waits for its OK, nor before unsaved changes are settled.
    if ((saver_ && saver_->isVisible()) || (!closeSettled_ && !SettleUnsavedChanges([this] {
            closeSettled_ = true;
            close();
            closeSettled_ = false;
        }))) {
        event->ignore();
        return;
    }
    if (player_) player_->Stop();
    project_.Close();
    QMainWindow::closeEvent(event);
}
