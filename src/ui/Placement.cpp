#include "ui/Placement.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>
#include <cmath>
#include <map>

#include "ui/Art.h"

namespace {

constexpr unsigned U = kInUnits, H = kInHeroes, B = kInBuildings, G = kInGlobal, C = kInComponents;

// The frames: name, caption, place per view (units, heroes, buildings, global, components; an
// empty rectangle: not in that view), and what hides them.
enum FrameRole { kAlways, kDataPanel, kSoundPanel, kCastPanel };
struct FrameDef {
    const char* name;
    const char* caption;
    std::array<QRect, kViewCount> places;
    FrameRole role;
};
const QRect none;
// Two columns over the editing area: the object's data on the left, the build hierarchy (or
// the hero levels) and the company on the right; the attacks below, with the description and
// the spell frame beside them; the modifiers along the bottom. The sound panel takes the place
// of everything below the object's data.
// clang-format off
const FrameDef kFrames[] = {
    {"object_frame", "ObjectData:", {QRect(437, 2, 320, 153), QRect(437, 2, 320, 153), QRect(437, 2, 320, 96), none, QRect(437, 2, 420, 153)}, kAlways},
    {"unit_frame", "UnitData:", {QRect(437, 158, 320, 77), QRect(437, 158, 320, 77), none, none, none}, kDataPanel},
    {"company_frame", "CompanyData:", {QRect(760, 177, 248, 58), QRect(760, 177, 248, 58), none, none, none}, kDataPanel},
    {"attack1_frame", "Attack1:", {QRect(437, 238, 356, 96), QRect(437, 238, 356, 96), none, none, none}, kDataPanel},
    {"attack2_frame", "Attack2:", {QRect(437, 337, 356, 96), QRect(437, 337, 356, 96), none, none, none}, kDataPanel},
    {"spell_frame", "SpellData:", {QRect(796, 356, 212, 77), QRect(796, 356, 212, 77), none, none, none}, kCastPanel},
    {"build_frame", "Build Hierarchy:", {QRect(760, 2, 248, 172), none, none, none, none}, kAlways},
    {"personal_modifiers_frame", "Personal Modifiers:", {QRect(437, 462, 284, 232), QRect(437, 462, 284, 232), none, none, none}, kDataPanel},
    {"company_modifiers_frame", "Company Modifiers:", {QRect(724, 462, 284, 232), QRect(724, 462, 284, 232), none, none, none}, kDataPanel},
    {"building_frame", "BuildingData:", {none, none, QRect(437, 101, 320, 58), none, none}, kAlways},
    {"base_frame", "BaseData:", {none, none, QRect(437, 162, 571, 115), none, none}, kAlways},
    {"settlement_frame", "Settlement Data:", {none, none, QRect(760, 2, 248, 134), none, none}, kAlways},
    {"global_frame", "", {none, none, none, QRect(439, 27, 330, 260), none}, kAlways},
    {"sound_frame", "", {QRect(437, 238, 571, 456), QRect(437, 238, 571, 456), none, none, none}, kSoundPanel},
};

// Every field control's frame, views and width in characters, frame by frame; within a frame
// in the order its controls are laid out, row by row.
const FieldPlace kFieldPlaces[] = {
    {"proper_name", "object_frame", U | H | B | C, 31},
    {"max_hit_points", "object_frame", U | H | B, 7},
    {"defense", "object_frame", U | H},
    {"overwrite_color", "object_frame", U},
    {"hero_faction", "object_frame", H},
    {"boss", "object_frame", H, 4},
    {"awaken_cost", "object_frame", H, 5},
    {"captureable", "object_frame", B},
    {"weight", "object_frame", B, 4},
    {"cost_in_gold", "object_frame", U | H},
    {"stone_upkeep", "object_frame", U | H},
    {"wood_upkeep", "object_frame", U | H},
    {"iron_upkeep", "object_frame", U | H},
    {"mana_upkeep", "object_frame", U | H},
    {"component_gold_cost", "object_frame", C, 6},
    {"component_sell_price", "object_frame", C, 6},
    {"component_wood_production", "object_frame", C, 6},
    {"component_stone_production", "object_frame", C, 6},
    {"component_iron_production", "object_frame", C, 6},
    {"component_mana_production", "object_frame", C, 6},
    {"component_gold_production", "object_frame", C, 6},
    {"component_build_time", "object_frame", C, 6},
    {"component_surrender_modifier", "object_frame", C, 6},
    {"resource_multiplier", "global_frame", G, 6},
    {"negative_resource_multiplier", "global_frame", G, 6},
    {"stone_exchange", "global_frame", G, 6},
    {"wood_exchange", "global_frame", G, 6},
    {"iron_exchange", "global_frame", G, 6},
    {"mana_exchange", "global_frame", G, 6},
    {"minimum_damage", "global_frame", G, 6},
    {"mod_color_darkest", "global_frame", G, 11},
    {"mod_color_brightest", "global_frame", G, 11},
    {"description", nullptr, U | H},
    {"type", "unit_frame", U},
    {"movement_rate", "unit_frame", U | H, 4},
    {"captain", "unit_frame", U, 31},
    {"banner", "unit_frame", U | H, 4},
    {"walk_distance", "unit_frame", U | H, 4},
    {"morale", "company_frame", U | H, 4},
    {"visual_range", "company_frame", U | H, 4},
    {"control_zone", "company_frame", U | H, 4},
    {"entrenchment_rate", "company_frame", U | H, 4},
    {"attack_1_type", "attack1_frame", U | H},
    {"attack_1_animation", "attack1_frame", U | H, 8},
    {"attack_1_damage", "attack1_frame", U | H, 5},
    {"attack_1_damage_type", "attack1_frame", U | H},
    {"attack_1_morale_damage", "attack1_frame", U | H, 5},
    {"attack_1_morale_damage_type", "attack1_frame", U | H},
    {"attack_1_reload_time", "attack1_frame", U | H, 5},
    {"attack_2_type", "attack2_frame", U | H},
    {"attack_2_animation", "attack2_frame", U | H, 8},
    {"attack_2_damage", "attack2_frame", U | H, 5},
    {"attack_2_damage_type", "attack2_frame", U | H},
    {"attack_2_morale_damage", "attack2_frame", U | H, 5},
    {"attack_2_morale_damage_type", "attack2_frame", U | H},
    {"attack_2_reload_time", "attack2_frame", U | H, 5},
    {"max_mana", "spell_frame", U | H, 5},
    {"mana_regen", "spell_frame", U | H, 5},
    {"spell_0", "spell_frame", U | H, 17},
    {"spell_1", "spell_frame", U | H, 17},
    {"only_faction", "build_frame", U},
    {"except_faction", "build_frame", U},
    {"race", "build_frame", U},
    {"technology", "build_frame", U, 18},
    {"gold_production", "building_frame", B, 5},
    {"booty_min", "building_frame", B, 5},
    {"booty_max", "building_frame", B, 5},
    {"supply_range", "base_frame", B, 5},
    {"control_range", "base_frame", B, 5},
    {"militia_start", "base_frame", B, 5},
    {"max_militia", "base_frame", B, 5},
    {"company_size", "base_frame", B, 5},
    {"company_limit", "base_frame", B, 5},
    {"militia_growth", "base_frame", B, 5},
    {"militia_type", "base_frame", B, 31},
    {"militia_type_2", "base_frame", B, 31},
    {"nextlevel", "base_frame", B, 31},
    {"component_limit", "settlement_frame", B, 5},
    {"components_to_level", "settlement_frame", B, 5},
    {"upgrades_to_level", "settlement_frame", B, 5},
    {"upgrade_cost", "settlement_frame", B, 5},
    {"upgrade_time", "settlement_frame", B, 5},
    {"gold_limit_modifier", "settlement_frame", B, 5},
};
// clang-format on

constexpr const char* kLevelSuffixes[] = {"_enlightened", "_restored", "_ascended"};

// The grid of a frame, in pixels.
constexpr int kRow = 19;            // a row of caption and box; a box is a pixel less
constexpr int kCaptionHeight = 16;  // the frame's yellow caption above its first row
constexpr int kFrameMargin = 4;     // inside the bevel
constexpr int kLabelGap = 4;        // between a caption and its box
constexpr int kColumnGap = 6;       // between the columns of a frame
constexpr int kMostColumns = 4;
constexpr int kMinimumChars = 3;  // no box narrower than three characters
// A line edit keeps two pixels either side of its text and one for the cursor.
constexpr int kLineEditTextMargins = 2 * 2 + 1;
// QLineEdit's maximum length when it has none.
constexpr int kNoTypingLimit = 32767;

// Shows or hides a widget unless it already is so.
void SetShown(QWidget* w, bool show) {
    if (w->isHidden() == show) w->setVisible(show);
}

}  // namespace

std::span<const FieldPlace> FieldPlaces() {
    return kFieldPlaces;
}

const FieldPlace* FieldPlaceOf(const std::string& control) {
    std::string base = control;
    for (const char* suffix : kLevelSuffixes) {
        const std::string s = suffix;
        if (base.size() > s.size() && base.compare(base.size() - s.size(), s.size(), s) == 0) {
            base.resize(base.size() - s.size());
            break;
        }
    }
    for (const FieldPlace& p : kFieldPlaces) {
        if (base == p.control) return &p;
    }
    return nullptr;
}

// A bevel with a yellow caption; its place depends on the view (an empty rectangle: hidden).
struct Placement::Frame {
    const FrameDef* def = nullptr;
    QFrame* bevel = nullptr;
    QLabel* caption = nullptr;
};

struct Placement::Placed {
    QWidget* control = nullptr;
    QLabel* label = nullptr;
    Frame* frame = nullptr;
    unsigned views = 0;
    Options options;
    int order = -1;          // the place in kFieldPlaces; -1 (first in its frame) for none
    int chars = 0;           // the box's width in characters
    QStringList fixedItems;  // a list's own items, which its box must show whole
};

Placement::Placement(QWidget* client) : client_(client) {
    for (const FrameDef& d : kFrames) {
        auto f = std::make_unique<Frame>();
        f->def = &d;
        f->bevel = new QFrame(client_);
        f->bevel->setObjectName(d.name);
        f->bevel->setFrameStyle(*d.caption ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
        if (*d.caption)
            f->caption = AddYellowLabel(client_, QString(d.name) + "_caption", d.caption,
                                        QPoint(0, 0), EditingFont());
        frames_.push_back(std::move(f));
    }
}

Placement::~Placement() = default;

void Placement::Place(QWidget* control, QLabel* label, const char* frame, unsigned views,
                      Options options) {
    Placed p;
    p.control = control;
    p.label = label;
    for (auto& f : frames_) {
        if (frame && std::string(f->def->name) == frame) p.frame = f.get();
    }
    p.views = views;
    p.options = options;
    if (const FieldPlace* place = FieldPlaceOf(control->objectName().toStdString())) {
        p.order = static_cast<int>(place - kFieldPlaces);
        p.chars = place->chars;
    }
    // A box with no width of its own is as wide as its typing limit.
    if (auto* edit = qobject_cast<QLineEdit*>(control); edit && p.chars == 0) {
        const int limit = edit->property(kTypingLimitProperty).toInt();
        p.chars = limit > 0 ? limit : edit->maxLength() < kNoTypingLimit ? edit->maxLength() : 0;
    }
    // A list made with its items keeps them; a list filled from the mod has none yet.
    if (auto* box = qobject_cast<QComboBox*>(control)) {
        for (int i = 0; i < box->count(); ++i) p.fixedItems.push_back(box->itemText(i));
    }
    placed_.push_back(p);
}

void Placement::PlaceField(QWidget* control, QLabel* label, int level) {
    const FieldPlace* place = FieldPlaceOf(control->objectName().toStdString());
    if (!place) return;
    Options options;
    options.level = level;
    const std::string name = place->control;
    options.hiddenInSoundMode = name == "description";
    options.hiddenWhenCast =
        place->frame && std::string(place->frame) == "attack2_frame" && name != "attack_2_type";
    // Level variants show in the Heroes view only.
    Place(control, label, place->frame, level > 0 ? kInHeroes : place->views, options);
}

void Placement::HideAll() {
    for (Placed& p : placed_) {
        p.control->hide();
        if (p.label) p.label->hide();
    }
    for (auto& f : frames_) {
        f->bevel->hide();
        if (f->caption) f->caption->hide();
    }
}

bool Placement::FrameShown(const Frame* f, const ShownState& s) const {
    if (!f) return true;
    if (f->def->places[static_cast<size_t>(s.view)].isEmpty()) return false;
    if (s.view != kViewUnits && s.view != kViewHeroes) return true;
    switch (f->def->role) {
        case kSoundPanel:
            return s.soundMode;
        case kDataPanel:
            return !s.soundMode;
        case kCastPanel:
            return !s.soundMode && s.cast;
        case kAlways:
            break;
    }
    return true;
}

// Whether a control is shown in a state, the Cast rule aside.
bool Placement::Shown(const Placed& p, const ShownState& s) const {
    if (!(p.views & (1u << s.view)) || !FrameShown(p.frame, s)) return false;
    const int level = s.view == kViewHeroes ? s.heroLevel : 0;
    if (p.options.level >= 0 && p.options.level != level) return false;
    const bool unitsOrHeroes = s.view == kViewUnits || s.view == kViewHeroes;
    return !(unitsOrHeroes && s.soundMode && p.options.hiddenInSoundMode);
}

void Placement::Apply(const ShownState& s) {
    const int level = s.view == kViewHeroes ? s.heroLevel : 0;
    for (auto& f : frames_) {
        const bool shown = FrameShown(f.get(), s);
        if (shown) {
            const QRect r = f->def->places[static_cast<size_t>(s.view)];
            f->bevel->setGeometry(r);
            if (f->caption) f->caption->move(r.left() + 4, r.top() + 1);
        }
        SetShown(f->bevel, shown && f->caption);
        if (f->caption) SetShown(f->caption, shown);
    }
    // Only controls whose state changes are touched, so that a click repaints little. A label
    // shows while any control carrying it does (the level variants carry their base's).
    std::map<QLabel*, bool> labels;
    for (const Placed& p : placed_) {
        const bool show = Shown(p, s) && !(s.cast && p.options.hiddenWhenCast);
        SetShown(p.control, show);
        if (p.label) labels[p.label] = labels[p.label] || show;
    }
    for (const auto& [label, show] : labels) SetShown(label, show);
    const ShownState layout{s.view, level, s.soundMode, s.cast};
    if (!laidOut_ || !(layout == last_)) {
        LayoutFrames(layout);
        laidOut_ = true;
        last_ = layout;
    }
}

namespace {

int Ceil(qreal x) {
    return static_cast<int>(std::ceil(x));
}

// The width of a text in a widget's font, in whole pixels.
int TextWidth(const QWidget& w, const QString& text) {
    return Ceil(QFontMetricsF(w.font()).horizontalAdvance(text));
}

// The width of a box that shows text of textWidth pixels whole: the style's frame, and for a
// list its button, around the text and the margins the box keeps beside it.
int BoxWidth(const QWidget* w, int textWidth) {
    QStyle* style = w->style();
    if (const auto* box = qobject_cast<const QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(box);
        opt.editable = box->isEditable();
        opt.frame = box->hasFrame();
        constexpr int kProbe = 200;
        opt.rect = QRect(0, 0, kProbe, kRow - 1);
        const QRect field =
            style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, box);
        // An item is drawn a pixel in from the field's sides; typed text as in a line edit.
        const int margins = box->isEditable() ? kLineEditTextMargins : 2;
        return textWidth + margins + kProbe - field.width();
    }
    QStyleOptionFrame opt;
    opt.initFrom(w);
    opt.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, w);
    return style
        ->sizeFromContents(QStyle::CT_LineEdit, &opt,
                           QSize(textWidth + kLineEditTextMargins, kRow - 1), w)
        .width();
}

// One control of a frame with its caption, as the grid places it.
struct GridItem {
    QWidget* control;
    QLabel* label;
    int labelWidth;  // the caption's width and the gap before the box
    int boxWidth;
    bool wholeRow = false;
    int row = 0;
    int column = 0;
};

// The columns of a frame's grid and the rows it takes.
struct Grid {
    int rows = 0;
    std::vector<int> labelWidths, boxWidths;
    int spare = 0;  // the frame's width beyond the columns'
};

// The frame's controls in a grid of `columns` columns, filled row by row in table order. A
// control too wide to leave room beside it for the narrowest of the others takes a row of its
// own. Each column is as wide as its widest caption and box. False when the controls do not
// fit the width.
bool FillGrid(std::vector<GridItem>& items, int columns, int width, Grid& grid) {
    int narrowest = width;
    for (const GridItem& item : items)
        narrowest = std::min(narrowest, item.labelWidth + item.boxWidth);
    const int alone = width - (columns - 1) * (kColumnGap + narrowest);
    int row = 0, column = 0;
    for (GridItem& item : items) {
        item.wholeRow = columns > 1 && item.labelWidth + item.boxWidth > alone;
        if (item.wholeRow || column == columns) {
            if (column > 0) ++row;
            column = 0;
        }
        item.row = row;
        item.column = column;
        column = item.wholeRow ? columns : column + 1;
    }
    grid.rows = items.empty() ? 0 : row + 1;
    grid.labelWidths.assign(static_cast<size_t>(columns), 0);
    grid.boxWidths.assign(static_cast<size_t>(columns), 0);
    for (const GridItem& item : items) {
        if (item.wholeRow) continue;
        const auto c = static_cast<size_t>(item.column);
        grid.labelWidths[c] = std::max(grid.labelWidths[c], item.labelWidth);
        grid.boxWidths[c] = std::max(grid.boxWidths[c], item.boxWidth);
    }
    int needed = (columns - 1) * kColumnGap;
    for (int c = 0; c < columns; ++c)
        needed += grid.labelWidths[static_cast<size_t>(c)] + grid.boxWidths[static_cast<size_t>(c)];
    if (needed > width) return false;
    for (const GridItem& item : items) {
        if (item.wholeRow && item.labelWidth + item.boxWidth > width) return false;
    }
    grid.spare = width - needed;
    return true;
}

}  // namespace

// Lays out each shown frame's controls in a grid of rows of caption and box, in table order:
// in as many columns as the frame's height needs, each as wide as its captions and boxes ask
// in the editing font. The part of a frame below the first control its panel places itself is
// left to that control.
void Placement::LayoutFrames(const ShownState& s) {
    const auto view = static_cast<size_t>(s.view);
    for (auto& f : frames_) {
        const QRect r = f->def->places[view];
        if (r.isEmpty()) continue;
        QRect area = r.adjusted(kFrameMargin, kCaptionHeight, -kFrameMargin, -kFrameMargin);
        std::vector<const Placed*> placed;
        for (const Placed& p : placed_) {
            // The controls the Cast rule hides keep their places, so that the others do not
            // move from one object to the next.
            if (p.frame != f.get() || !Shown(p, s)) continue;
            if (p.options.fixed) {
                const int top = p.label ? std::min(p.label->y(), p.control->y()) : p.control->y();
                area.setBottom(std::min(area.bottom(), top - 3));
            } else {
                placed.push_back(&p);
            }
        }
        if (placed.empty()) continue;
        std::stable_sort(placed.begin(), placed.end(),
                         [](const Placed* a, const Placed* b) { return a->order < b->order; });
        std::vector<GridItem> items;
        for (const Placed* p : placed) {
            const QFontMetricsF metrics(p->control->font());
            qreal text =
                std::max(p->chars, kMinimumChars) * metrics.horizontalAdvance(QLatin1Char('0'));
            for (const QString& item : p->fixedItems)
                text = std::max(text, metrics.horizontalAdvance(item));
            const int label = p->label ? TextWidth(*p->label, p->label->text()) + kLabelGap : 0;
            items.push_back({p->control, p->label, label, BoxWidth(p->control, Ceil(text))});
        }
        // The fewest columns whose rows fit the frame; failing that, the fewest rows.
        const int roomForRows = area.height() / kRow;
        int columns = 0;
        int rows = 0;
        for (int n = 1; n <= kMostColumns && !(columns > 0 && rows <= roomForRows); ++n) {
            Grid candidate;
            if (FillGrid(items, n, area.width(), candidate) &&
                (columns == 0 || candidate.rows < rows)) {
                columns = n;
                rows = candidate.rows;
            }
        }
        Grid grid;
        if (!FillGrid(items, std::max(columns, 1), area.width(), grid)) {
            // Too wide for the frame even in one column: the boxes give way.
            grid.boxWidths[0] = std::max(1, area.width() - grid.labelWidths[0]);
            columns = 1;
        }
        // The spare width parts the columns, so that the last one ends at the frame's edge.
        std::vector<int> columnX(static_cast<size_t>(columns), area.left());
        for (int c = 1; c < columns; ++c) {
            const auto before = static_cast<size_t>(c - 1);
            columnX[static_cast<size_t>(c)] =
                columnX[before] + grid.labelWidths[before] + grid.boxWidths[before] + kColumnGap +
                grid.spare / (columns - 1) + (c == columns - 1 ? grid.spare % (columns - 1) : 0);
        }
        for (const GridItem& item : items) {
            const int y = area.top() + item.row * kRow;
            const auto c = static_cast<size_t>(item.column);
            const int x = columnX[c];
            // A row of its own lines its box up with the first column's where it can.
            const int aligned = std::max(item.labelWidth, grid.labelWidths[0]);
            const int labelWidth = !item.wholeRow                            ? grid.labelWidths[c]
                                   : aligned + item.boxWidth <= area.width() ? aligned
                                                                             : item.labelWidth;
            const int boxWidth = item.wholeRow
                                     ? std::min(item.boxWidth, area.right() + 1 - x - labelWidth)
                                     : grid.boxWidths[c];
            if (item.label) item.label->setGeometry(x, y + 1, labelWidth - kLabelGap + 2, kRow - 2);
            item.control->setGeometry(x + labelWidth, y, boxWidth, kRow - 1);
        }
    }
}
