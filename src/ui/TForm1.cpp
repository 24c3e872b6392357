#include "ui/TForm1.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFrame>
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
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QValidator>

#include "core/HashName.h"
#include "core/QSError.h"
#include "objects/BonusModifiers.h"
#include "objects/SortOrders.h"
#include "ui/Art.h"
#include "ui/TForm3.h"
#include "ui/TForm4.h"
#include "ui/TiledBackground.h"

namespace {

// Views as bits, for the tables below.
constexpr unsigned U = 1u << kViewUnits;
constexpr unsigned H = 1u << kViewHeroes;
constexpr unsigned B = 1u << kViewBuildings;
constexpr unsigned G = 1u << kViewGlobal;
constexpr unsigned C = 1u << kViewComponents;

QColor ToQColor(QSColor c) {
    return QColor(c.r, c.g, c.b);
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QStringList ToQStrings(const std::vector<std::string>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items) list.push_back(Q(item));
    return list;
}

// Captions of the view titles, by view code.
constexpr const char* kViewTitles[kViewCount] = {"Units", "Heroes", "Buildings", "Global Data",
                                                 "Components"};
constexpr const char* kViewMenuItems[kViewCount] = {"Units1", "Heroes1", "Buildings1",
                                                    "GlobalStats1", "Components1"};
constexpr const char* kLevelSuffixes[4] = {"", "_enlightened", "_restored", "_ascended"};

// A row of the object list is drawn in the colour of its record's change state.
class ObjectRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int kStateRole = Qt::UserRole + 1;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
        const auto state = static_cast<uint8_t>(index.data(kStateRole).toInt());
        painter->setPen(ToQColor(ObjectRowColor(state, selected)));
        painter->setFont(option.font);
        painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop, index.data().toString());
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 13);
    }
};

// The face of the editing area: the forms' face where it exists, else a condensed sans serif
// of the same height, so that the captions fit their frames.
QFont EditingFont() {
    QFont font = FormFont();
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow")});
    font.setPixelSize(11);
    return font;
}

// A box's character limit applies to typing only: a longer value loaded from the game is
// shown whole, as it stands in the file, rather than cut (a cut value would be recorded as an
// edit as soon as the user touched the box).
constexpr const char* kTypingLimit = "typingLimit";

class TypingLimit : public QValidator {
  public:
    TypingLimit(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}
    State validate(QString& input, int&) const override {
        return input.size() <= limit_ ? Acceptable : Invalid;
    }

  private:
    int limit_;
};

void LimitTyping(QLineEdit* edit, int limit) {
    edit->setValidator(new TypingLimit(limit, edit));
    edit->setProperty(kTypingLimit, limit);
}

// Shows or hides a widget unless it already is so.
void SetShown(QWidget* w, bool show) {
    if (w->isHidden() == show) w->setVisible(show);
}

void SetTextColor(QWidget* w, const QColor& color) {
    if (w->palette().color(QPalette::Text) == color) return;
    QPalette p = w->palette();
    p.setColor(QPalette::Text, color);
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::ButtonText, color);
    w->setPalette(p);
}

}  // namespace

// A bevel with a yellow caption; its place depends on the view (an empty rectangle: hidden).
struct TForm1::Frame {
    std::string name;
    QFrame* bevel = nullptr;
    QLabel* caption = nullptr;
    std::array<QRect, kViewCount> places{};
    bool dataPanel = false;  // hidden while the sound panel is shown
};

// A control (with its label, if any) and where it is shown.
struct TForm1::Placed {
    QWidget* control = nullptr;
    QLabel* label = nullptr;
    Frame* frame = nullptr;
    unsigned views = 0;
    int level = -1;  // 0..3 for the hero level variants; -1 for controls without variants
};

TForm1::TForm1(ModProject& project, QWidget* parent) : QMainWindow(parent), project_(project) {
    setObjectName("TForm1");
    const std::string caption = std::string("Brix: The Dravik Mod Maker, Version ") + kProgramVersion;
    setWindowTitle(Q(caption));
    setWindowIcon(ProgramIcon());
    setFont(FormFont());
    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setFixedSize(kClientWidth, kClientHeight);
    client_->setFont(EditingFont());
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
        const QString file = QFileDialog::getOpenFileName(
            this, "Load mod from:", Q(initial), "Dravik mods (*.qsx)");
        return file.toStdString();
    };
    confirm_ = [this](const QString& question) {
        return QMessageBox::question(this, "Confirm", question, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
}

TForm1::~TForm1() = default;

void TForm1::SetSecondaryWindows(TForm3* loading, TForm4* about) {
    loading_ = loading;
    about_ = about;
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
          {"load_mod_menu_item", "Load D&SC Mod", nullptr, true, [this] { LoadMod(GameEdition::Base); }},
          {"LoadDATMod1", "Load D&AT Mod", nullptr, true, [this] { LoadMod(GameEdition::Expansion); }},
          {"save_mod_menu_item", "&Save Mod", "Ctrl+S", false, nullptr},
          {"N1", hyphens24.c_str(), nullptr, true, nullptr},
          {"SaveVersionHistory1", "Save &Version History", nullptr, false, nullptr},
          {"SaveGlobalHistory1", "Save &Global History", nullptr, false, nullptr}});
    menu("Edit1", "&Edit",
         {{"Restorefrommod1", "Restore from &mod", "Ctrl+M", false, nullptr},
          {"Restorefromretail1", "Restore from &retail", "Ctrl+R", false, nullptr}});
    menu("Object1", "&View",
         {{"Units1", "&Units", "Ctrl+U", false, [this] { SelectView(kViewUnits); }},
          {"Heroes1", "&Heroes", "Ctrl+H", false, [this] { SelectView(kViewHeroes); }},
          {"Buildings1", "&Buildings", "Ctrl+B", false, [this] { SelectView(kViewBuildings); }},
          {"GlobalStats1", "G&lobal Stats", "Ctrl+L", false, [this] { SelectView(kViewGlobal); }},
          {"Components1", "&Components", "Ctrl+C", false, [this] { SelectView(kViewComponents); }},
          {"N3", hyphens28.c_str(), nullptr, true, nullptr},
          {"ShowVersionHistory1", "Show &Version History", "Ctrl+V", false, [this] { ShowHistory(false); }},
          {"ShowGlobalHistory1", "Show &Global History", "Ctrl+G", false, [this] { ShowHistory(true); }}});
    std::vector<Item> sorts;
    for (size_t i = 0; i < kSortOrders.size(); ++i)
        sorts.push_back({kSortOrders[i].menuItem, kSortOrders[i].caption, nullptr, false, [this, i] { SortBy(i); }});
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
         {"save_mod_menu_item", "SaveVersionHistory1", "SaveGlobalHistory1", "ShowVersionHistory1",
          "ShowGlobalHistory1", "Restorefrommod1", "Restorefromretail1", "Units1", "Heroes1",
          "Buildings1", "GlobalStats1", "Components1"})
        actions_[name]->setEnabled(true);
    for (const SortOrderDef& s : kSortOrders) actions_[s.menuItem]->setEnabled(true);
}

// --- Controls ---------------------------------------------------------------------------------

QLabel* TForm1::MakeLabel(const std::string& name, const QString& caption, QWidget* parent) {
    if (auto it = controls_.find(name); it != controls_.end()) return qobject_cast<QLabel*>(it->second);
    QLabel* label = AddYellowLabel(parent, Q(name), caption, QPoint(0, 0), EditingFont());
    controls_[name] = label;
    return label;
}

QWidget* TForm1::MakeFieldControl(const FieldDef& field) {
    QWidget* w = nullptr;
    switch (field.controlKind) {
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(client_);
            if (field.maxLength) LimitTyping(edit, field.maxLength);
            w = edit;
            break;
        }
        case ControlKind::Memo:
            w = new QPlainTextEdit(client_);
            break;
        case ControlKind::List:
        case ControlKind::SampleList: {
            auto* box = new QComboBox(client_);
            box->setEditable(field.acceptsTypedText || field.controlKind == ControlKind::SampleList);
            for (const char* item : field.items) box->addItem(item);
            // Lists of the same computed items share one model, filled once per opening.
            if (field.listSource != ListSource::None && field.listSource != ListSource::Fixed)
                box->setModel(SharedModel(static_cast<int>(field.listSource)));
            w = box;
            break;
        }
    }
    w->setObjectName(field.control);
    if (const char* hint = ControlHint(field.control)) w->setToolTip(hint);
    controls_[field.control] = w;
    return w;
}

void TForm1::Place(const std::string& control, const char* frame, unsigned views, int level) {
    Placed p;
    p.control = controls_.at(control);
    if (auto it = controls_.find(control + "_label"); it != controls_.end())
        p.label = qobject_cast<QLabel*>(it->second);
    for (auto& f : frames_) {
        if (frame && f->name == frame) p.frame = f.get();
    }
    p.views = views;
    p.level = level;
    placed_.push_back(p);
}

void TForm1::BuildControls() {
    // View titles, in large yellow type.
    for (int v = 0; v < kViewCount; ++v) {
        titles_[static_cast<size_t>(v)] =
            AddYellowLabel(client_, QString(kViewTitles[v]).remove(' ') + "_title", kViewTitles[v],
                           QPoint(258, 5), FormFont(18));
    }
    titles_[kViewUnits]->setToolTip(
        "Black=unchanged from retail game, purple=changed in mod but not in current session, red=changed "
        "in current session.");

    list_ = new QListWidget(client_);
    list_->setObjectName("UnitListBox");
    list_->setGeometry(256, 27, 176, 537);
    list_->setItemDelegate(new ObjectRowDelegate(list_));
    list_->setUniformItemSizes(true);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);

    // Frames: name, caption, place per view (units, heroes, buildings, global, components).
    struct FrameDef {
        const char* name;
        const char* caption;
        std::array<QRect, kViewCount> places;
        bool dataPanel;
    };
    const QRect none;
    const FrameDef frameDefs[] = {
        {"object_frame", "ObjectData:",
         {QRect(438, 2, 225, 161), QRect(438, 2, 225, 161), QRect(438, 2, 225, 135), none,
          QRect(438, 2, 225, 300)},
         false},
        {"unit_frame", "UnitData:", {QRect(438, 166, 145, 113), QRect(438, 166, 145, 113), none, none, none}, true},
        {"company_frame", "CompanyData:", {QRect(585, 166, 121, 113), QRect(585, 166, 121, 113), none, none, none}, true},
        {"attack1_frame", "Attack1:", {QRect(438, 281, 169, 154), QRect(438, 281, 169, 154), none, none, none}, true},
        {"attack2_frame", "Attack2:", {QRect(612, 280, 172, 155), QRect(612, 280, 172, 155), none, none, none}, true},
        {"spell_frame", "SpellData:", {QRect(787, 280, 222, 112), QRect(787, 280, 222, 112), none, none, none}, true},
        {"build_frame", "Build Hierarchy:", {QRect(666, 1, 337, 123), none, none, none, none}, false},
        {"personal_modifiers_frame", "Personal Modifiers:", {QRect(438, 438, 280, 256), QRect(438, 438, 280, 256), none, none, none}, true},
        {"company_modifiers_frame", "Company Modifiers:", {QRect(722, 436, 286, 257), QRect(722, 436, 286, 257), none, none, none}, true},
        {"building_frame", "BuildingData:", {none, none, QRect(439, 141, 223, 104), none, none}, false},
        {"base_frame", "BaseData:", {none, none, QRect(439, 253, 333, 185), none, none}, false},
        {"settlement_frame", "Settlement Data:", {none, none, QRect(666, 1, 185, 182), none, none}, false},
        {"global_frame", "", {none, none, none, QRect(439, 27, 330, 260), none}, false},
        {"sound_frame", "", {QRect(437, 224, 420, 400), QRect(437, 224, 420, 400), none, none, none}, false},
    };
    for (const FrameDef& d : frameDefs) {
        auto f = std::make_unique<Frame>();
        f->name = d.name;
        f->places = d.places;
        f->dataPanel = d.dataPanel;
        f->bevel = new QFrame(client_);
        f->bevel->setObjectName(d.name);
        f->bevel->setFrameStyle(*d.caption ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
        if (*d.caption)
            f->caption = AddYellowLabel(client_, QString(d.name) + "_caption", d.caption, QPoint(0, 0), EditingFont());
        frames_.push_back(std::move(f));
    }

    // The field controls, made from the field table; labels shared by level variants once.
    MakeLabel("unique_name_label", "Unique name:", client_);
    auto* unique = new QLineEdit(client_);
    unique->setObjectName("unique_name");
    unique->setToolTip(ControlHint("unique_name"));
    controls_["unique_name"] = unique;
    MakeLabel(kProperNameField.label, kProperNameField.caption, client_);
    MakeFieldControl(kProperNameField);
    for (const FieldDef& f : kFieldTable) {
        if (*f.caption || !f.labelHidden) MakeLabel(f.label, f.caption, client_);
        QWidget* w = MakeFieldControl(f);
        if (f.labelHidden) {
            w->hide();
            if (auto it = controls_.find(f.label); it != controls_.end()) it->second->hide();
        }
    }
    auto* checklist = new QListWidget(client_);
    checklist->setObjectName("components_checklistbox");
    checklist->setToolTip("What building components are required in a settlement to build this object?");
    controls_["components_checklistbox"] = checklist;
    MakeLabel("components_checklistbox_label", "Components:", client_);
    heroLevels_ = new QListWidget(client_);
    heroLevels_->setObjectName("hero_level_listbox");
    heroLevels_->addItems({"Awakened", "Enlightened", "Restored", "Ascended"});
    heroLevels_->setGeometry(666, 1, 90, 58);
    heroLevels_->viewport()->installEventFilter(this);
    controls_["hero_level_listbox"] = heroLevels_;
    audioToggle_ = new QPushButton("Set Audio", client_);
    audioToggle_->setObjectName("audio_data_toggle");
    audioToggle_->setGeometry(881, 406, 75, 25);
    connect(audioToggle_, &QPushButton::clicked, this, &TForm1::ToggleSoundPanel);
    controls_["audio_data_toggle"] = audioToggle_;
    for (const SoundSlotDef& s : kSoundSlotTable) {
        MakeLabel(std::string(s.control) + "_label", s.caption, client_);
        auto* box = new QComboBox(client_);
        box->setObjectName(s.control);
        box->setEditable(true);
        box->setModel(SharedModel(kSampleModel));
        controls_[s.control] = box;
        for (const char* part : {"_browse", "_play"}) {
            auto* button = new QPushButton(std::string(part) == "_browse" ? "Browse" : "Play", client_);
            button->setObjectName(QString(s.control) + part);
            controls_[std::string(s.control) + part] = button;
        }
    }
    // The modifier panels: a check list and six rows of name and value per list.
    for (int list = 0; list < kBonusPanelCount; ++list) {
        auto* box = new QListWidget(client_);
        box->setObjectName(Q(BonusCheckboxName(list)));
        box->setToolTip(IsPersonalBonusList(list)
                            ? "The modifiers, or bonuses, that apply to this unit itself."
                            : "The modifiers, or bonuses, that apply to all units in the company this unit "
                              "is in, if this unit is in a support or captain slot.");
        controls_[BonusCheckboxName(list)] = box;
        for (int row = 1; row <= kBonusRows; ++row) {
            MakeLabel(BonusRowName(list, row), "", client_);
            auto* value = new QLineEdit(client_);
            value->setObjectName(Q(BonusValueName(list, row)));
            if (int max = BonusValueMaxLength(list, row)) LimitTyping(value, max);
            controls_[BonusValueName(list, row)] = value;
        }
    }

    // Where each control is shown.
    Place("unique_name", "object_frame", U | H | B | C);
    Place("proper_name", "object_frame", U | H | B | C);
    for (const FieldDef& f : kFieldTable) {
        const std::string name = f.control;
        const int level = f.level ? f.level : -1;
        auto base = [&](const char* frame, unsigned views) {
            // A level variant shows in the Heroes view only; its base in every view given.
            if (f.level) {
                Place(name, frame, H, f.level);
            } else if (controls_.count(name + "_enlightened")) {
                Place(name, frame, views, 0);
            } else {
                Place(name, frame, views, level);
            }
        };
        const std::string section = f.section ? f.section : "";
        if (f.labelHidden) continue;
        if (f.kinds == kKindComponents) {
            base("object_frame", C);
        } else if (f.kinds == kKindGlobal) {
            base("global_frame", G);
        } else if (name.rfind("max_hit_points", 0) == 0) {
            base("object_frame", U | H | B);
        } else if (name.rfind("defense", 0) == 0 || name == "cost_in_gold" ||
                   name.find("_upkeep") != std::string::npos) {
            base("object_frame", U | H);
        } else if (name == "overwrite_color") {
            base("object_frame", U);
        } else if (name == "hero_faction" || name == "boss" || name == "awaken_cost") {
            base("object_frame", H);
        } else if (name == "captureable" || name == "weight") {
            base("object_frame", B);
        } else if (name == "description") {
            Place(name, nullptr, U | H);
        } else if (name == "captain" || name == "type") {
            base("unit_frame", U);
        } else if (section == "UnitData") {
            base("unit_frame", U | H);
        } else if (section == "CompanyData") {
            base("company_frame", U | H);
        } else if (section == "Attack1" || section.rfind("Attack0Data", 0) == 0) {
            base("attack1_frame", U | H);
        } else if (section == "Attack2") {
            base("attack2_frame", U | H);
        } else if (section.rfind("SpellData", 0) == 0) {
            base("spell_frame", U | H);
        } else if (section == "BuildHierarchy") {
            base("build_frame", U);
        } else if (section == "BuildingData") {
            base("building_frame", B);
        } else if (section == "BaseData") {
            base("base_frame", B);
        } else if (section == "SettlementData") {
            base("settlement_frame", B);
        }
    }
    Place("components_checklistbox", "build_frame", U);
    Place("hero_level_listbox", nullptr, H);
    Place("audio_data_toggle", nullptr, U | H);
    for (const SoundSlotDef& s : kSoundSlotTable) {
        Place(s.control, "sound_frame", U | H);
        Place(std::string(s.control) + "_browse", "sound_frame", U | H);
        Place(std::string(s.control) + "_play", "sound_frame", U | H);
    }
    for (int list = 0; list < kBonusPanelCount; ++list) {
        const char* frame = IsPersonalBonusList(list) ? "personal_modifiers_frame" : "company_modifiers_frame";
        Place(BonusCheckboxName(list), frame, U | H, list / 2);
        for (int row = 1; row <= kBonusRows; ++row) {
            Place(BonusValueName(list, row), frame, U | H, list / 2);
            placed_.back().label = qobject_cast<QLabel*>(controls_.at(BonusRowName(list, row)));
        }
    }
    // Choosing an Attack2 type swaps the damage controls and the spell frame at once.
    connect(qobject_cast<QComboBox*>(controls_.at("attack_2_type")), &QComboBox::textActivated, this,
            [this] { ApplyVisibility(); });
    controls_.at("description")->setGeometry(726, 140, 277, 135);
    if (QWidget* l = controls_.at("description_label")) l->move(726, 126);

    // The mod panel and the histories.
    struct Identity {
        const char* control;
        const char* label;
        const char* caption;
        int maxLength;
        bool readOnly;
        int half;  // 0 the whole width; 1 the left half; 2 the right half, ending the row
    };
    const Identity identity[] = {
        {"mod_name", "mod_name_label", "Mod name:", 20, false, 0},
        {"access_code", "access_code_label", "Access code:", 4, false, 1},
        {"two_character_identifier", "two_character_identifier_label", "Two character ID:", 2, false, 2},
        {"version", "version_label", "Mod Version,", 11, false, 0},
        {"author", "author_label", "Author:", 0, false, 0},
        {"author_www", "author_www_label", "Author's www:", 0, false, 0},
        {"author_email", "author_email_label", "Author's email:", 0, false, 0},
        {"dravik_version", "dravik_version_label", "Built with Dravik ver:", 0, true, 1},
        {"brix_version", "brix_version_label", "Built with Brix ver:", 0, true, 2},
    };
    AddYellowLabel(client_, "this_is_a_mod_for_label", "This is a mod for:", QPoint(8, 16));
    auto* dsc = new QLabel(client_);
    dsc->setObjectName("dsc_image");
    dsc->setPixmap(DscImage());
    dsc->setGeometry(8, 32, 240, 60);
    controls_["dsc_image"] = dsc;
    auto* dat = new QLabel(client_);
    dat->setObjectName("dat_image");
    dat->setPixmap(DatImage());
    dat->setGeometry(8, 32, 240, 60);
    controls_["dat_image"] = dat;
    controls_["this_is_a_mod_for_label"] = client_->findChild<QLabel*>("this_is_a_mod_for_label");
    // Each caption over its box; the short ones two to a row.
    int y = 94;
    for (const Identity& i : identity) {
        const int x = i.half == 2 ? 130 : 8;
        const int width = i.half ? 118 : 240;
        QLabel* l = MakeLabel(i.label, i.caption, client_);
        l->setGeometry(x, y, width, 13);
        if (std::string(i.control) == "version") {
            l->setGeometry(x, y, 64, 13);
            MakeLabel("version_label2", "NOT Dravik version:", client_)->setGeometry(x + 66, y, 150, 13);
        }
        auto* edit = new QLineEdit(client_);
        edit->setObjectName(i.control);
        if (i.maxLength) LimitTyping(edit, i.maxLength);
        if (std::string(i.control) == "access_code") edit->setEchoMode(QLineEdit::Password);
        if (std::string(i.control) == "version")
            edit->setToolTip("Version number of mod in form ##.##.##.##, each part can be between 0 and 99, "
                             "must always increase.");
        edit->setReadOnly(i.readOnly);
        edit->setGeometry(x, y + 13, width, 18);
        controls_[i.control] = edit;
        edit->installEventFilter(this);
        if (i.half != 1) y += 33;
    }
    QLabel* commentsLabel = MakeLabel("author_comments_label", "Author's comments:", client_);
    commentsLabel->setGeometry(8, y, 240, 13);
    auto* comments = new QPlainTextEdit(client_);
    comments->setObjectName("author_comments");
    comments->setGeometry(8, y + 13, 240, 410 - y - 13);
    controls_["author_comments"] = comments;
    comments->installEventFilter(this);
    for (const auto& [memo, label, caption, hint] :
         {std::tuple{"version_history", "version_history_label", "Version History:",
                     "A report of changes made to this mod."},
          std::tuple{"global_history", "global_history_label", "Global History:", ""}}) {
        MakeLabel(label, caption, client_)->setGeometry(18, 563, 200, 14);
        auto* m = new QPlainTextEdit(client_);
        m->setObjectName(memo);
        m->setReadOnly(true);
        if (*hint) m->setToolTip(hint);
        m->setGeometry(5, 579, 427, 112);
        controls_[memo] = m;
    }
}

// --- Visibility and layout --------------------------------------------------------------------

void TForm1::HideAll() {
    for (auto& [name, w] : controls_) w->hide();
    for (auto& f : frames_) {
        f->bevel->hide();
        if (f->caption) f->caption->hide();
    }
    for (QLabel* t : titles_) t->hide();
    list_->hide();
}

bool TForm1::CastRule() const {
    auto* box = qobject_cast<QComboBox*>(controls_.at("attack_2_type"));
    return SameName(box->currentText().toStdString(), "Cast");
}

void TForm1::ApplyVisibility() {
    const unsigned bit = 1u << view_;
    const bool heroes = view_ == kViewHeroes;
    const bool unitsOrHeroes = view_ == kViewUnits || heroes;
    const bool cast = CastRule();
    for (int v = 0; v < kViewCount; ++v) SetShown(titles_[static_cast<size_t>(v)], v == view_);
    SetShown(list_, view_ != kViewGlobal);

    auto frameShown = [&](const Frame* f) {
        if (!f) return true;
        if (f->places[static_cast<size_t>(view_)].isEmpty()) return false;
        if (!unitsOrHeroes) return true;
        if (f->name == "sound_frame") return soundMode_;
        if (f->dataPanel && soundMode_) return false;
        if (f->name == "spell_frame") return cast;
        return true;
    };
    for (auto& f : frames_) {
        const bool shown = frameShown(f.get());
        if (shown) {
            const QRect r = f->places[static_cast<size_t>(view_)];
            f->bevel->setGeometry(r);
            if (f->caption) f->caption->move(r.left() + 4, r.top() + 1);
        }
        SetShown(f->bevel, shown && f->caption);
        if (f->caption) SetShown(f->caption, shown);
    }
    // Show what the view, hero level, panel mode and Cast rule allow, hide the rest; only
    // controls whose state changes are touched, so that a click repaints little.
    std::map<QLabel*, bool> labels;
    for (const Placed& p : placed_) {
        bool show = (p.views & bit) && frameShown(p.frame);
        if (show && p.level >= 0 && p.level != (heroes ? heroLevel_ : 0)) show = false;
        if (show && unitsOrHeroes && soundMode_ && p.control == controls_.at("description")) show = false;
        if (show && cast && p.frame && p.frame->name == "attack2_frame" &&
            p.control != controls_.at("attack_2_type"))
            show = false;
        SetShown(p.control, show);
        if (p.label) labels[p.label] = labels[p.label] || show;
    }
    for (const auto& [label, show] : labels) SetShown(label, show);
    const std::array<int, 4> layout = {view_, heroes ? heroLevel_ : 0, soundMode_ ? 1 : 0, cast ? 1 : 0};
    if (layout != laidOut_) {
        LayoutFrames();
        laidOut_ = layout;
    }
}

// Lays out each shown frame's visible controls in rows of label and control, in as many
// columns as the frame's height needs; so nothing that is visible together overlaps.
void TForm1::LayoutFrames() {
    constexpr int kRow = 19;
    for (auto& f : frames_) {
        if (f->places[static_cast<size_t>(view_)].isEmpty()) continue;
        const QRect r = f->places[static_cast<size_t>(view_)];
        std::vector<const Placed*> items;
        const Placed* checklist = nullptr;
        for (const Placed& p : placed_) {
            if (p.frame != f.get() || !p.control->isVisibleTo(client_)) continue;
            if (qobject_cast<QListWidget*>(p.control)) {
                checklist = &p;
            } else {
                items.push_back(&p);
            }
        }
        QRect area = r.adjusted(4, 16, -4, -4);
        if (checklist && f->name == "build_frame") {
            // The components check list has its own place, its caption over it.
            checklist->control->setGeometry(843, 26, 152, 81);
            if (checklist->label) checklist->label->setGeometry(843, 12, 152, 13);
            area.setRight(838);
        } else if (checklist) {
            // A modifier check list takes the frame's left half, its rows the right half.
            const int half = area.width() / 2;
            checklist->control->setGeometry(QRect(area.left(), area.top(), half - 4, area.height()));
            area.setLeft(area.left() + half);
        }
        if (items.empty()) continue;
        if (f->name == "sound_frame") {
            // One row per slot: label, sample box, Browse and Play.
            int row = 0;
            for (size_t i = 0; i + 2 < items.size(); i += 3, ++row) {
                const int y = r.top() + 4 + row * 26;
                if (items[i]->label) items[i]->label->setGeometry(446, y + 3, 80, 16);
                items[i]->control->setGeometry(529, y, 215, 22);
                items[i + 1]->control->setGeometry(748, y, 50, 22);
                items[i + 2]->control->setGeometry(801, y, 50, 22);
            }
            continue;
        }
        // Wide boxes (names, lists) first, then the short number boxes; each column gets the
        // width its captions and boxes ask for, and the frame's spare width is shared out.
        auto preferred = [](const QWidget* w) {
            const int limit = w->property(kTypingLimit).toInt();
            if (limit > 0 && limit <= 5) return 24 + 7 * limit;
            return qobject_cast<const QComboBox*>(w) ? 84 : 64;
        };
        std::stable_sort(items.begin(), items.end(), [&](const Placed* a, const Placed* b) {
            return preferred(a->control) > 64 && preferred(b->control) <= 64;
        });
        const int rowsPerColumn = std::max(1, area.height() / kRow);
        const int columns = (static_cast<int>(items.size()) + rowsPerColumn - 1) / rowsPerColumn;
        std::vector<int> labelWidths(static_cast<size_t>(columns), 0), boxWidths(static_cast<size_t>(columns), 0);
        for (size_t i = 0; i < items.size(); ++i) {
            const size_t column = i / static_cast<size_t>(rowsPerColumn);
            if (items[i]->label)
                labelWidths[column] = std::max(labelWidths[column], items[i]->label->fontMetrics().horizontalAdvance(
                                                                         items[i]->label->text()) + 4);
            boxWidths[column] = std::max(boxWidths[column], preferred(items[i]->control));
        }
        int needed = 0;
        for (int c = 0; c < columns; ++c) needed += labelWidths[static_cast<size_t>(c)] + boxWidths[static_cast<size_t>(c)];
        const int spare = area.width() - needed;
        int x = area.left();
        for (int c = 0; c < columns; ++c) {
            const size_t column = static_cast<size_t>(c);
            int width = labelWidths[column] + boxWidths[column];
            width += needed > 0 ? spare * width / needed : 0;
            // When the frame is too narrow, captions give way to boxes first.
            const int labelWidth = std::min(labelWidths[column], std::max(width - boxWidths[column], width / 2));
            const size_t first = column * static_cast<size_t>(rowsPerColumn);
            const size_t last = std::min(items.size(), first + static_cast<size_t>(rowsPerColumn));
            for (size_t i = first; i < last; ++i) {
                const int y = area.top() + static_cast<int>(i - first) * kRow;
                if (items[i]->label) items[i]->label->setGeometry(x, y + 1, labelWidth - 2, kRow - 2);
                items[i]->control->setGeometry(x + labelWidth, y, width - labelWidth - 3, kRow - 1);
            }
            x += width;
        }
    }
}

void TForm1::ShowModPanel() {
    for (const char* name :
         {"this_is_a_mod_for_label", "mod_name", "mod_name_label", "access_code", "access_code_label",
          "two_character_identifier", "two_character_identifier_label", "version", "version_label",
          "version_label2", "author", "author_label", "author_www", "author_www_label", "author_email",
          "author_email_label", "dravik_version", "dravik_version_label", "brix_version",
          "brix_version_label", "author_comments", "author_comments_label"}) {
        QWidget* w = controls_.at(name);
        w->show();
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) SetTextColor(w, Qt::black);
    }
    const bool expansion = project_.CurrentEdition() == GameEdition::Expansion;
    controls_.at("dsc_image")->setVisible(!expansion);
    controls_.at("dat_image")->setVisible(expansion);
    ShowHistory(globalHistory_);
}

void TForm1::ShowHistory(bool global) {
    globalHistory_ = global;
    controls_.at("version_history")->setVisible(!global);
    controls_.at("version_history_label")->setVisible(!global);
    controls_.at("global_history")->setVisible(global);
    controls_.at("global_history_label")->setVisible(global);
    actions_.at(global ? "ShowGlobalHistory1" : "ShowVersionHistory1")->setChecked(true);
}

// --- Opening ----------------------------------------------------------------------------------

void TForm1::NewMod(GameEdition edition) {
    if (project_.ProjectOpen()) ResetEditor();
    OpenProject(project_.InstallationPath(edition), "");
}

void TForm1::LoadMod(GameEdition edition) {
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
    if (packagePath.empty()) {
        const GameEdition edition =
            installPath == project_.InstallationPath(GameEdition::Expansion) &&
                    installPath != project_.InstallationPath(GameEdition::Base)
                ? GameEdition::Expansion
                : GameEdition::Base;
        project_.NewMod(edition);
    } else {
        project_.OpenMod(installPath, packagePath);
    }
    project_.SetProgressCallback({});
    FillChoiceLists();
    const ModIdentity& id = project_.Identity();
    auto setText = [this](const char* name, const std::string& text) {
        if (auto* e = qobject_cast<QLineEdit*>(controls_.at(name))) e->setText(Q(text));
        if (auto* m = qobject_cast<QPlainTextEdit*>(controls_.at(name))) m->setPlainText(Q(text));
    };
    for (const ModIdentityField& field : ModIdentityFields()) {
        if (field.shown) setText(field.control, id.*field.member);
    }
    setText("version_history", project_.VersionHistory());
    setText("global_history", project_.GlobalHistory());
    setEnabled(true);
    if (loading_) loading_->FinishLoad();
    AfterOpening();
}

void TForm1::AfterOpening() {
    remembered_ = {};
    index_ = 0;
    RebuildViewList();
    FillList();
    ShowObject();
    ShowModPanel();
    ApplyVisibility();
}

void TForm1::FillChoiceLists() {
    const ObjectCatalogue& c = project_.Catalogue();
    lists_ = ListItemSet::FromCatalogue(c);
    for (ListSource source : {ListSource::TechnologyNames, ListSource::SpellNames, ListSource::Captains,
                              ListSource::Militia, ListSource::Buildings})
        SharedModel(static_cast<int>(source))->setStringList(ToQStrings(*lists_.Computed(source)));
    auto* checklist = qobject_cast<QListWidget*>(controls_.at("components_checklistbox"));
    checklist->clear();
    for (const std::string& name : c.ComponentNames()) {
        auto* item = new QListWidgetItem(Q(name), checklist);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    for (int list = 0; list < kBonusPanelCount; ++list) {
        auto* box = qobject_cast<QListWidget*>(controls_.at(BonusCheckboxName(list)));
        box->clear();
        for (const QSBRIXBonusData& b : c.BonusDefinitions()) {
            auto* item = new QListWidgetItem(Q(b.name), box);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    SharedModel(kSampleModel)->setStringList(ToQStrings(c.SampleNames()));
}

QStringListModel* TForm1::SharedModel(int key) {
    QStringListModel*& model = models_[key];
    if (!model) model = new QStringListModel(this);
    return model;
}

void TForm1::EmptyChoiceLists() {
    for (auto& [key, model] : models_) model->setStringList({});
    qobject_cast<QListWidget*>(controls_.at("components_checklistbox"))->clear();
    for (int list = 0; list < kBonusPanelCount; ++list)
        qobject_cast<QListWidget*>(controls_.at(BonusCheckboxName(list)))->clear();
    lists_ = ListItemSet{};
}

void TForm1::ResetEditor() {
    HideAll();
    list_->clear();
    EmptyChoiceLists();
    for (const char* name : {"version", "mod_name", "two_character_identifier"})
        qobject_cast<QLineEdit*>(controls_.at(name))->clear();
    for (const char* name : {"version_history", "global_history"})
        qobject_cast<QPlainTextEdit*>(controls_.at(name))->clear();
    project_.Reset();
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
}

void TForm1::FillList() {
    list_->clear();
    for (const QSObjectData* r : project_.Catalogue().ViewList()) {
        auto* item = new QListWidgetItem(Q(r->ProperName()), list_);
        item->setData(ObjectRowDelegate::kStateRole, r->changeState);
    }
    list_->viewport()->update();
}

void TForm1::SetHeroLevel(int level) {
    if (level < 0 || level > 3) return;
    heroLevel_ = level;
    ApplyVisibility();
}

void TForm1::ToggleSoundPanel() {
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
}

// --- Showing an object ------------------------------------------------------------------------

void TForm1::ShowObject() {
    const ShownObject shown =
        ::ShowObject(project_.Catalogue(), project_.Changes(), index_, lists_, soundMode_);
    RenderShown(shown);
}

void TForm1::RenderShown(const ShownObject& shown) {
    showing_ = true;
    if (auto* unique = qobject_cast<QLineEdit*>(controls_.at("unique_name"))) unique->setText(Q(shown.uniqueName));
    for (const ShownControl& c : shown.controls) {
        auto it = controls_.find(c.control);
        if (it == controls_.end()) continue;
        QWidget* w = it->second;
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->setText(Q(c.text));
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
            memo->setPlainText(Q(c.text));
        } else if (auto* box = qobject_cast<QComboBox*>(w)) {
            if (c.selected >= 0 && c.selected < box->count()) {
                box->setCurrentIndex(c.selected);
            } else if (box->isEditable()) {
                box->setEditText(Q(c.text));
            } else {
                box->setCurrentIndex(box->count() ? 0 : -1);
            }
        }
        SetTextColor(w, ToQColor(c.color));
    }
    // Modifier panels and the components check list.
    for (int list = 0; list < kBonusPanelCount; ++list) {
        const BonusPanel& panel = shown.bonuses[static_cast<size_t>(list)];
        auto* box = qobject_cast<QListWidget*>(controls_.at(BonusCheckboxName(list)));
        for (int i = 0; i < box->count(); ++i) {
            const bool on = static_cast<size_t>(i) < panel.checked.size() && panel.checked[static_cast<size_t>(i)];
            box->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        }
        for (int row = 1; row <= kBonusRows; ++row) {
            auto* name = qobject_cast<QLabel*>(controls_.at(BonusRowName(list, row)));
            auto* value = qobject_cast<QLineEdit*>(controls_.at(BonusValueName(list, row)));
            if (static_cast<size_t>(row - 1) < panel.rows.size()) {
                const BonusRow& r = panel.rows[static_cast<size_t>(row - 1)];
                name->setText(Q(r.name));
                value->setText(Q(r.value));
                SetTextColor(value, ToQColor(r.color));
            } else {
                name->clear();
                value->clear();
            }
        }
    }
    auto* checklist = qobject_cast<QListWidget*>(controls_.at("components_checklistbox"));
    for (int i = 0; i < checklist->count(); ++i) {
        const bool on = static_cast<size_t>(i) < shown.components.size() && shown.components[static_cast<size_t>(i)];
        checklist->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    showing_ = false;
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
    if (!list_ || !heroLevels_) return QMainWindow::eventFilter(watched, event);  // still building
    if (event->type() == QEvent::KeyRelease) IdentityKeyUp(watched);
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QModelIndex at = list_->indexAt(mouse->position().toPoint());
            if (at.isValid()) SelectRow(at.row());
        }
    }
    if (watched == list_ && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) SelectRow(list_->currentRow());
        if (key->key() == Qt::Key_Delete) DeleteCurrentObject();
    }
    if (watched == heroLevels_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QModelIndex at = heroLevels_->indexAt(mouse->position().toPoint());
            if (at.isValid()) SetHeroLevel(at.row());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// A key released in a box of the mod panel marks it red, as changed since the last save,
// and keeps the project's identity up to date; the version and the comments are read from
// their boxes when the mod is saved.
void TForm1::IdentityKeyUp(QObject* box) {
    ModIdentity& id = project_.Identity();
    for (const ModIdentityField& field : ModIdentityFields()) {
        QWidget* w = controls_.at(field.control);
        if (w != box || !field.editable) continue;
        SetTextColor(w, Qt::red);
        if (auto* edit = qobject_cast<QLineEdit*>(w); edit && field.copiedAsTyped) {
            id.*field.member = edit->text().toStdString();
        }
    }
}

void TForm1::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    project_.Close();
    QMainWindow::closeEvent(event);
}
