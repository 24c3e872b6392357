#include "ui/Placement.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <algorithm>
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
// clang-format off
const FrameDef kFrames[] = {
    {"object_frame", "ObjectData:", {QRect(438, 2, 225, 161), QRect(438, 2, 225, 161), QRect(438, 2, 225, 135), none, QRect(438, 2, 225, 300)}, kAlways},
    {"unit_frame", "UnitData:", {QRect(438, 166, 145, 113), QRect(438, 166, 145, 113), none, none, none}, kDataPanel},
    {"company_frame", "CompanyData:", {QRect(585, 166, 121, 113), QRect(585, 166, 121, 113), none, none, none}, kDataPanel},
    {"attack1_frame", "Attack1:", {QRect(438, 281, 169, 154), QRect(438, 281, 169, 154), none, none, none}, kDataPanel},
    {"attack2_frame", "Attack2:", {QRect(612, 280, 172, 155), QRect(612, 280, 172, 155), none, none, none}, kDataPanel},
    {"spell_frame", "SpellData:", {QRect(787, 280, 222, 112), QRect(787, 280, 222, 112), none, none, none}, kCastPanel},
    {"build_frame", "Build Hierarchy:", {QRect(666, 1, 337, 123), none, none, none, none}, kAlways},
    {"personal_modifiers_frame", "Personal Modifiers:", {QRect(438, 438, 280, 256), QRect(438, 438, 280, 256), none, none, none}, kDataPanel},
    {"company_modifiers_frame", "Company Modifiers:", {QRect(722, 436, 286, 257), QRect(722, 436, 286, 257), none, none, none}, kDataPanel},
    {"building_frame", "BuildingData:", {none, none, QRect(439, 141, 223, 104), none, none}, kAlways},
    {"base_frame", "BaseData:", {none, none, QRect(439, 253, 333, 185), none, none}, kAlways},
    {"settlement_frame", "Settlement Data:", {none, none, QRect(666, 1, 185, 182), none, none}, kAlways},
    {"global_frame", "", {none, none, none, QRect(439, 27, 330, 260), none}, kAlways},
    {"sound_frame", "", {QRect(437, 224, 420, 400), QRect(437, 224, 420, 400), none, none, none}, kSoundPanel},
};

// Every field control's frame and views, in the order the frames list them.
const FieldPlace kFieldPlaces[] = {
    {"proper_name", "object_frame", U | H | B | C},
    {"max_hit_points", "object_frame", U | H | B},
    {"defense", "object_frame", U | H},
    {"overwrite_color", "object_frame", U},
    {"hero_faction", "object_frame", H},
    {"boss", "object_frame", H},
    {"awaken_cost", "object_frame", H},
    {"captureable", "object_frame", B},
    {"weight", "object_frame", B},
    {"cost_in_gold", "object_frame", U | H},
    {"stone_upkeep", "object_frame", U | H},
    {"wood_upkeep", "object_frame", U | H},
    {"iron_upkeep", "object_frame", U | H},
    {"mana_upkeep", "object_frame", U | H},
    {"component_gold_cost", "object_frame", C},
    {"component_sell_price", "object_frame", C},
    {"component_wood_production", "object_frame", C},
    {"component_stone_production", "object_frame", C},
    {"component_iron_production", "object_frame", C},
    {"component_mana_production", "object_frame", C},
    {"component_gold_production", "object_frame", C},
    {"component_build_time", "object_frame", C},
    {"component_surrender_modifier", "object_frame", C},
    {"resource_multiplier", "global_frame", G},
    {"negative_resource_multiplier", "global_frame", G},
    {"stone_exchange", "global_frame", G},
    {"wood_exchange", "global_frame", G},
    {"iron_exchange", "global_frame", G},
    {"mana_exchange", "global_frame", G},
    {"minimum_damage", "global_frame", G},
    {"mod_color_darkest", "global_frame", G},
    {"mod_color_brightest", "global_frame", G},
    {"description", nullptr, U | H},
    {"type", "unit_frame", U},
    {"captain", "unit_frame", U},
    {"movement_rate", "unit_frame", U | H},
    {"banner", "unit_frame", U | H},
    {"walk_distance", "unit_frame", U | H},
    {"morale", "company_frame", U | H},
    {"visual_range", "company_frame", U | H},
    {"control_zone", "company_frame", U | H},
    {"entrenchment_rate", "company_frame", U | H},
    {"attack_1_type", "attack1_frame", U | H},
    {"attack_1_animation", "attack1_frame", U | H},
    {"attack_1_damage", "attack1_frame", U | H},
    {"attack_1_damage_type", "attack1_frame", U | H},
    {"attack_1_morale_damage", "attack1_frame", U | H},
    {"attack_1_morale_damage_type", "attack1_frame", U | H},
    {"attack_1_reload_time", "attack1_frame", U | H},
    {"attack_2_type", "attack2_frame", U | H},
    {"attack_2_animation", "attack2_frame", U | H},
    {"attack_2_damage", "attack2_frame", U | H},
    {"attack_2_damage_type", "attack2_frame", U | H},
    {"attack_2_morale_damage", "attack2_frame", U | H},
    {"attack_2_morale_damage_type", "attack2_frame", U | H},
    {"attack_2_reload_time", "attack2_frame", U | H},
    {"max_mana", "spell_frame", U | H},
    {"mana_regen", "spell_frame", U | H},
    {"spell_0", "spell_frame", U | H},
    {"spell_1", "spell_frame", U | H},
    {"only_faction", "build_frame", U},
    {"except_faction", "build_frame", U},
    {"race", "build_frame", U},
    {"technology", "build_frame", U},
    {"gold_production", "building_frame", B},
    {"booty_min", "building_frame", B},
    {"booty_max", "building_frame", B},
    {"supply_range", "base_frame", B},
    {"control_range", "base_frame", B},
    {"militia_start", "base_frame", B},
    {"max_militia", "base_frame", B},
    {"company_size", "base_frame", B},
    {"company_limit", "base_frame", B},
    {"militia_growth", "base_frame", B},
    {"militia_type", "base_frame", B},
    {"militia_type_2", "base_frame", B},
    {"nextlevel", "base_frame", B},
    {"component_limit", "settlement_frame", B},
    {"components_to_level", "settlement_frame", B},
    {"upgrades_to_level", "settlement_frame", B},
    {"upgrade_cost", "settlement_frame", B},
    {"upgrade_time", "settlement_frame", B},
    {"gold_limit_modifier", "settlement_frame", B},
};
// clang-format on

constexpr const char* kLevelSuffixes[] = {"_enlightened", "_restored", "_ascended"};

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
    placed_.push_back(p);
}

void Placement::PlaceField(QWidget* control, QLabel* label, int level) {
    const FieldPlace* place = FieldPlaceOf(control->objectName().toStdString());
    if (!place) return;
    Options options;
    options.level = level;
    const std::string name = place->control;
    options.hiddenInSoundMode = name == "description";
    options.hiddenWhenCast = place->frame && std::string(place->frame) == "attack2_frame" &&
                             name != "attack_2_type";
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

void Placement::Apply(const ShownState& s) {
    const unsigned bit = 1u << s.view;
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
        bool show = (p.views & bit) && FrameShown(p.frame, s);
        if (show && p.options.level >= 0 && p.options.level != level) show = false;
        const bool unitsOrHeroes = s.view == kViewUnits || s.view == kViewHeroes;
        if (show && unitsOrHeroes && s.soundMode && p.options.hiddenInSoundMode) show = false;
        if (show && s.cast && p.options.hiddenWhenCast) show = false;
        SetShown(p.control, show);
        if (p.label) labels[p.label] = labels[p.label] || show;
    }
    for (const auto& [label, show] : labels) SetShown(label, show);
    const ShownState layout{s.view, level, s.soundMode, s.cast};
    if (!laidOut_ || !(layout == last_)) {
        LayoutFrames(s.view);
        laidOut_ = true;
        last_ = layout;
    }
}

// Lays out each shown frame's visible controls in rows of label and control, in as many
// columns as the frame's height needs; so nothing that is visible together overlaps.
void Placement::LayoutFrames(int view) {
    constexpr int kRow = 19;
    for (auto& f : frames_) {
        if (f->def->places[static_cast<size_t>(view)].isEmpty()) continue;
        const QRect r = f->def->places[static_cast<size_t>(view)];
        std::vector<const Placed*> items;
        for (const Placed& p : placed_) {
            if (p.frame != f.get() || p.options.fixed || !p.control->isVisibleTo(client_))
                continue;
            items.push_back(&p);
        }
        QRect area = r.adjusted(4, 16, -4, -4);
        // The components list keeps the right of the build frame for itself.
        if (std::string(f->def->name) == "build_frame") area.setRight(838);
        if (items.empty()) continue;
        // Wide boxes (names, lists) first, then the short number boxes; each column gets the
        // width its captions and boxes ask for, and the frame's spare width is shared out.
        auto preferred = [](const QWidget* w) {
            const int limit = w->property(kTypingLimitProperty).toInt();
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
