#include "objects/FieldTable.h"

#include "core/HashName.h"

namespace {

constexpr uint8_t kUB = kKindUnits | kKindBuildings;
constexpr auto E = ControlKind::Edit;
constexpr auto L = ControlKind::List;
constexpr auto P = LoadRule::Plain;
constexpr auto WC = LoadRule::WordCase;
constexpr auto UP = LoadRule::UpkeepInteger;
constexpr auto SET = LoadRule::FromSettings;
constexpr auto COMP = LoadRule::ComponentSection;

constexpr const char* kFactionItems[] = {"Freeholder", "Crownward", "Conclave", "Veyl"};
constexpr const char* kOnlyFactionItems[] = {"Any", "Freeholder", "Crownward", "Conclave", "Veyl"};
constexpr const char* kExceptFactionItems[] = {"None", "Freeholder", "Crownward", "Conclave",
                                               "Veyl"};
constexpr const char* kRaceItems[] = {"None", "Corvane", "Skarn", "Elith", "Thuld", "Ossk", "Any"};
constexpr const char* kTypeItems[] = {"Front", "Support", "Captain", "Monster",
                                      "Hero",  "Solo",    "Militia"};
constexpr const char* kAttack1TypeItems[] = {"Melee", "Projectile"};
constexpr const char* kAttack2TypeItems[] = {"None", "Melee", "Projectile", "Cast", "Build"};
constexpr const char* kDamageTypeItems[] = {"Normal", "Magic",  "Holy",
                                            "Unholy", "Vorpal", "Vaelorite"};
constexpr const char* kMoraleTypeItems[] = {"Normal", "Holy", "Unholy", "Vorpal"};

// A field shown and recorded under the section and key it is read from.
constexpr FieldDef Field(int row, const char* section, const char* key, const char* def,
                         uint8_t kinds, LoadRule rule, const char* control, ControlKind kind,
                         const char* label, const char* caption, uint8_t level = 0,
                         uint8_t maxLength = 0) {
    return FieldDef{row,  section, key,   nullptr, def,     kinds, rule,      control,
                    kind, section, key,   label,   caption, level, maxLength, ListSource::None,
                    {},   false,   false, nullptr, 0};
}
constexpr FieldDef Items(FieldDef f, std::span<const char* const> items) {
    f.listSource = ListSource::Fixed;
    f.items = items;
    return f;
}
constexpr FieldDef Source(FieldDef f, ListSource source) {
    f.listSource = source;
    return f;
}
constexpr FieldDef Typed(FieldDef f) {
    f.acceptsTypedText = true;
    return f;
}
// A field the global history compares, written at `place` of its lines under `label`.
constexpr FieldDef History(FieldDef f, uint8_t place, const char* label) {
    f.historyPlace = place;
    f.historyLabel = label;
    return f;
}

// Level variants share their base field's label.
constexpr FieldDef Level(int row, const char* section, const char* key, const char* def,
                         const char* control, ControlKind kind, const char* label,
                         const char* caption, uint8_t level) {
    return Field(row, section, key, def, kUB, P, control, kind, label, caption, level);
}

constexpr FieldDef Component(int row, const char* key, const char* control, const char* label,
                             const char* caption) {
    return Field(row, nullptr, key, "", kKindComponents, COMP, control, E, label, caption);
}

constexpr FieldDef Colors(int row, const char* key, const char* altKey, const char* control,
                          const char* label, const char* caption) {
    FieldDef f = Field(row, "PlayerColors", key, "", kKindGlobal, LoadRule::FromColors, control, E,
                       label, caption);
    f.altKey = altKey;
    f.shownKey = altKey;
    return f;
}

constexpr FieldDef MoraleType(int row, const char* section, const char* control,
                              const char* label) {
    FieldDef f = Items(
        Field(row, section, "MoraleType", "Normal", kUB, WC, control, L, label, "Mor. Dmg Type:"),
        kMoraleTypeItems);
    f.shownKey = "MoraleDamageType";
    return f;
}

constexpr FieldDef Hidden(FieldDef f) {
    f.labelHidden = true;
    return f;
}

}  // namespace

// One row per line: the table reads like the list of fields it is.
// clang-format off
constexpr std::array<FieldDef, kFieldCount> kFieldTable = {{
    History(Field(1, "UnitData", "Description", "", kUB, P, "description", ControlKind::Memo, "description_label", "Description:"), 94, "Description"),
    History(Field(2, "ObjectData", "Defense", "", kUB, P, "defense", E, "defense_label", "Defense:", 0, 2), 3, "Defense"),
    History(Level(3, "Level1", "Defense", "", "defense_enlightened", E, "defense_label", "Defense:", 1), 4, "Defense enlightened"),
    History(Level(4, "Level2", "Defense", "", "defense_restored", E, "defense_label", "Defense:", 2), 5, "Defense restored"),
    History(Level(5, "Level3", "Defense", "", "defense_ascended", E, "defense_label", "Defense:", 3), 6, "Defense ascended"),
    Field(6, "SimulationSettings", "ResourceMultiplier", "", kKindGlobal, SET, "resource_multiplier", E, "resource_multiplier_label", "Resource Multiplier"),
    Field(7, "SimulationSettings", "NegativeResourceMultiplier", "", kKindGlobal, SET, "negative_resource_multiplier", E, "negative_resource_multiplier_label", "Negative Resource Multiplier:"),
    Field(8, "SimulationSettings", "StoneExchange", "", kKindGlobal, SET, "stone_exchange", E, "stone_exchange_label", "Stone Exchange:"),
    Field(9, "SimulationSettings", "WoodExchange", "", kKindGlobal, SET, "wood_exchange", E, "wood_exchange_label", "Wood Exchange:"),
    Field(10, "SimulationSettings", "IronExchange", "", kKindGlobal, SET, "iron_exchange", E, "iron_exchange_label", "Iron Exchange:"),
    Field(11, "SimulationSettings", "ManaExchange", "", kKindGlobal, SET, "mana_exchange", E, "mana_exchange_label", "Mana Exchange:"),
    Field(12, "SimulationSettings", "MinimumDamage", "", kKindGlobal, SET, "minimum_damage", E, "minimum_damage_label", "Minimum Damage:"),
    Colors(13, "Color_9_shade_1", "Color_9_min", "mod_color_darkest", "mod_color_darkest_label", "Mod Color Darkest:"),
    Colors(14, "Color_9_shade_32", "Color_9_max", "mod_color_brightest", "mod_color_brightest_label", "Mod Color Brightest:"),
    History(Component(15, "GoldCost", "component_gold_cost", "component_gold_cost_label", "Gold Cost:"), 8, "Gold cost"),
    History(Component(16, "SellPrice", "component_sell_price", "component_sell_price_label", "Sell Price:"), 9, "Sell Price"),
    History(Component(17, "WoodProduction", "component_wood_production", "component_wood_production_label", "Wood Production:"), 10, "Wood Production"),
    History(Component(18, "StoneProduction", "component_stone_production", "component_stone_production_label", "Stone Production:"), 11, "Stone Production"),
    History(Component(19, "IronProduction", "component_iron_production", "component_iron_production_label", "Iron Production:"), 12, "Iron Production"),
    History(Component(20, "ManaProduction", "component_mana_production", "component_mana_production_label", "Mana Production:"), 13, "Mana Production"),
    History(Component(21, "GoldProduction", "component_gold_production", "component_gold_production_label", "Gold Production:"), 14, "Gold Production"),
    History(Component(22, "BuildTime", "component_build_time", "component_build_time_label", "Build Time:"), 15, "Build Time"),
    History(Component(23, "SurrenderModifier", "component_surrender_modifier", "component_surrender_modifier_label", "Surrender Modifier:"), 16, "Surrender Modifier"),
    History(Items(Field(24, "ObjectData", "OverwriteColor", "-1", kUB, LoadRule::ColorName, "overwrite_color", L, "overwrite_color_label", "Color:"), kColorNames), 7, "Overwrite color"),
    History(Typed(Items(Field(25, "ObjectData", "Faction", "", kUB, P, "hero_faction", L, "hero_faction_label", "Faction:"), kFactionItems)), 17, "Hero faction"),
    History(Field(26, "HeroData", "Boss", "", kUB, P, "boss", E, "boss_label", "Boss:"), 18, "Boss"),
    History(Hidden(Field(27, "HeroData", "TranslatedName", "", kUB, P, "translated_name", E, "translated_name_label", "")), 2, "Translated Name"),
    History(Field(28, "HeroData", "AwakenCost", "", kUB, P, "awaken_cost", E, "awaken_cost_label", "Awaken Cost:"), 19, "Awaken Cost"),
    History(Field(29, "ObjectData", "Weight", "", kUB, P, "weight", E, "weight_label", "Weight:"), 27, "Weight"),
    History(Field(30, "ObjectData", "Captureable", "", kUB, P, "captureable", E, "captureable_label", "Captureable:"), 26, "Captureable"),
    History(Field(31, "BuildingData", "GoldProduction", "", kUB, P, "gold_production", E, "gold_production_label", "Gold Production:"), 28, "Gold Production"),
    History(Field(32, "BuildingData", "booty_min", "", kUB, P, "booty_min", E, "booty_min_label", "Min. Booty:"), 29, "Minimum Booty"),
    History(Field(33, "BuildingData", "booty_max", "", kUB, P, "booty_max", E, "booty_max_label", "Max. Booty:"), 30, "Maximum Booty"),
    History(Field(34, "BaseData", "SupplyRange", "", kUB, P, "supply_range", E, "supply_range_label", "Supply Range:"), 31, "Supply Range"),
    History(Field(35, "BaseData", "ControlRange", "", kUB, P, "control_range", E, "control_range_label", "Control Range:"), 32, "Control Range"),
    History(Field(36, "BaseData", "MilitiaStart", "", kUB, P, "militia_start", E, "militia_start_label", "Militia Start:"), 33, "Militia Start"),
    History(Field(37, "BaseData", "MaxMilitia", "", kUB, P, "max_militia", E, "max_militia_label", "Max Militia:"), 34, "Max Militia"),
    History(Field(38, "BaseData", "CompanySize", "", kUB, P, "company_size", E, "company_size_label", "Company Size:"), 35, "Company Size"),
    History(Field(39, "BaseData", "CompanyLimit", "", kUB, P, "company_limit", E, "company_limit_label", "Company Limit:"), 36, "Company Limit"),
    History(Field(40, "BaseData", "MilitiaGrowth", "", kUB, P, "militia_growth", E, "militia_growth_label", "Militia Growth:"), 37, "Militia Growth"),
    History(Source(Field(41, "BaseData", "MilitiaType", "", kUB, P, "militia_type", L, "militia_type_label", "Militia Type:"), ListSource::Militia), 38, "Militia Type"),
    History(Source(Field(42, "BaseData", "MilitiaType2", "", kUB, P, "militia_type_2", L, "militia_type_2_label", "Militia Type 2:"), ListSource::Militia), 39, "Militia Type 2"),
    History(Typed(Source(Field(43, "BaseData", "NextLevel", "", kUB, P, "nextlevel", L, "nextlevel_label", "Next Level:"), ListSource::Buildings)), 40, "Next Level"),
    History(Field(44, "SettlementData", "ComponentLimit", "", kUB, P, "component_limit", E, "component_limit_label", "Component Limit:"), 20, "Component Limit"),
    History(Field(45, "SettlementData", "ComponentsRequiredToLevel", "", kUB, P, "components_to_level", E, "components_to_level_label", "Components to level:"), 21, "Components to Level"),
    History(Field(46, "SettlementData", "UpgradesRequiredToLevel", "", kUB, P, "upgrades_to_level", E, "upgrades_to_level_label", "Upgrades to level:"), 22, "Upgrades to Level"),
    History(Field(47, "SettlementData", "UpgradeCost", "", kUB, P, "upgrade_cost", E, "upgrade_cost_label", "Upgrade Cost:"), 23, "Upgrade Cost"),
    History(Field(48, "SettlementData", "UpgradeTime", "", kUB, P, "upgrade_time", E, "upgrade_time_label", "Upgrade Time:"), 24, "Upgrade Time"),
    History(Field(49, "SettlementData", "GoldLimitModifier", "", kUB, P, "gold_limit_modifier", E, "gold_limit_modifier_label", "Gold Limit Modifier:"), 25, "Gold Limit Modifier"),
    History(Field(50, "ObjectData", "MaxHitPoints", "50.0", kUB, P, "max_hit_points", E, "max_hit_points_label", "Max hit points:", 0, 5), 41, "Max hit points"),
    History(Level(51, "Level2", "MaxHitPoints", "", "max_hit_points_restored", E, "max_hit_points_label", "Max hit points:", 2), 43, "Max hit points restored"),
    History(Level(52, "Level1", "MaxHitPoints", "", "max_hit_points_enlightened", E, "max_hit_points_label", "Max hit points:", 1), 42, "Max hit points enlightened"),
    History(Level(53, "Level3", "MaxHitPoints", "", "max_hit_points_ascended", E, "max_hit_points_label", "Max hit points:", 3), 44, "Max hit points ascended"),
    History(Field(54, "ObjectData", "CostGold", "10", kUB, P, "cost_in_gold", E, "cost_in_gold_label", "Cost in gold:", 0, 2), 45, "Cost in gold"),
    History(Items(Field(55, "UnitData", "Type", "Front", kUB, WC, "type", L, "type_label", "Type:"), kTypeItems), 53, "Type"),
    History(Field(56, "UnitData", "MovementRate", "15.0", kUB, P, "movement_rate", E, "movement_rate_label", "Move:", 0, 2), 50, "Movement Rate"),
    History(Field(57, "UnitData", "BannerFrame", "", kUB, P, "banner", E, "banner_label", "Banner:"), 51, "Banner"),
    History(Source(Field(58, "UnitData", "Captain", "", kUB, WC, "captain", L, "captain_label", "Captain:"), ListSource::Captains), 54, "Captain"),
    History(Field(59, "UnitData", "WalkDistance", "0.85", kUB, P, "walk_distance", E, "walk_distance_label", "Walk distance:", 0, 4), 52, "Walk Distance"),
    History(Field(60, "ObjectData", "UpkeepStone", "0", kUB, UP, "stone_upkeep", E, "stone_upkeep_label", "Stone upkeep:", 0, 1), 47, "Stone Upkeep"),
    History(Field(61, "ObjectData", "UpkeepWood", "0", kUB, UP, "wood_upkeep", E, "wood_upkeep_label", "Wood upkeep:", 0, 1), 46, "Wood Upkeep"),
    History(Field(62, "ObjectData", "UpkeepIron", "0", kUB, UP, "iron_upkeep", E, "iron_upkeep_label", "Iron upkeep:", 0, 1), 48, "Iron Upkeep"),
    History(Field(63, "ObjectData", "UpkeepMana", "0", kUB, UP, "mana_upkeep", E, "mana_upkeep_label", "Mana upkeep:", 0, 1), 49, "Mana Upkeep"),
    History(Field(64, "CompanyData", "Morale", "35", kUB, P, "morale", E, "morale_label", "Morale:"), 55, "Morale"),
    History(Field(65, "CompanyData", "VisualRange", "8", kUB, P, "visual_range", E, "visual_range_label", "Visual range:"), 57, "Visual Range"),
    History(Field(66, "CompanyData", "ControlZone", "3", kUB, P, "control_zone", E, "control_zone_label", "Control zone:"), 56, "Control Zone"),
    History(Field(67, "CompanyData", "EntrenchmentRate", "1", kUB, P, "entrenchment_rate", E, "entrenchment_rate_label", "Entrenchment:", 0, 4), 58, "Entrenchment Rate"),
    History(Field(68, "SpellData", "MaxMana", "", kUB, P, "max_mana", E, "max_mana_label", "Max Mana:"), 74, "Max Mana"),
    History(Level(69, "SpellData1", "MaxMana", "", "max_mana_enlightened", E, "max_mana_label", "Max Mana:", 1), 75, "Max Mana enlightened"),
    History(Level(70, "SpellData2", "MaxMana", "", "max_mana_restored", E, "max_mana_label", "Max Mana:", 2), 76, "Max Mana restored"),
    History(Level(71, "SpellData3", "MaxMana", "", "max_mana_ascended", E, "max_mana_label", "Max Mana:", 3), 77, "Max Mana ascended"),
    History(Field(72, "SpellData", "ManaRegenerationRate", "", kUB, P, "mana_regen", E, "mana_regen_label", "Regen:"), 78, "Mana Regeneration"),
    History(Level(73, "SpellData1", "ManaRegenerationRate", "", "mana_regen_enlightened", E, "mana_regen_label", "Regen:", 1), 79, "Mana Regeneration enlightened"),
    History(Level(74, "SpellData2", "ManaRegenerationRate", "", "mana_regen_restored", E, "mana_regen_label", "Regen:", 2), 80, "Mana Regeneration restored"),
    History(Level(75, "SpellData3", "ManaRegenerationRate", "", "mana_regen_ascended", E, "mana_regen_label", "Regen:", 3), 81, "Mana Regeneration ascended"),
    History(Source(Field(76, "SpellData", "Spell0", "None", kUB, P, "spell_0", L, "spell_0_label", "Spell 0:"), ListSource::SpellNames), 82, "Spell 0"),
    History(Typed(Source(Level(77, "SpellData1", "Spell0", "None", "spell_0_enlightened", L, "spell_0_label", "Spell 0:", 1), ListSource::SpellNames)), 84, "Spell 0 enlightened"),
    History(Typed(Source(Level(78, "SpellData2", "Spell0", "None", "spell_0_restored", L, "spell_0_label", "Spell 0:", 2), ListSource::SpellNames)), 86, "Spell 0 restored"),
    History(Typed(Source(Level(79, "SpellData3", "Spell0", "None", "spell_0_ascended", L, "spell_0_label", "Spell 0:", 3), ListSource::SpellNames)), 88, "Spell 0 ascended"),
    History(Source(Field(80, "SpellData", "Spell1", "None", kUB, P, "spell_1", L, "spell_1_label", "Spell 1:"), ListSource::SpellNames), 83, "Spell 1"),
    History(Typed(Source(Level(81, "SpellData1", "Spell1", "None", "spell_1_enlightened", L, "spell_1_label", "Spell 1:", 1), ListSource::SpellNames)), 85, "Spell 1 enlightened"),
    History(Typed(Source(Level(82, "SpellData2", "Spell1", "None", "spell_1_restored", L, "spell_1_label", "Spell 1:", 2), ListSource::SpellNames)), 87, "Spell 1 restored"),
    History(Typed(Source(Level(83, "SpellData3", "Spell1", "None", "spell_1_ascended", L, "spell_1_label", "Spell 1:", 3), ListSource::SpellNames)), 89, "Spell 1 ascended"),
    History(Items(Field(84, "Attack1", "AttackType", "None", kUB, WC, "attack_1_type", L, "attack_1_type_label", "Type:"), kAttack1TypeItems), 59, "Attack 1 Type:"),
    History(Field(85, "Attack1", "Animation", "", kUB, P, "attack_1_animation", E, "attack_1_animation_label", "Anim:"), 60, "Attack 1 Animation:"),
    History(Field(86, "Attack1", "Damage", "", kUB, P, "attack_1_damage", E, "attack_1_damage_label", "Damage:"), 61, "Attack 1 Damage:"),
    History(Level(87, "Attack0Data1", "Damage", "", "attack_1_damage_enlightened", E, "attack_1_damage_label", "Damage:", 1), 62, "Attack 1 Damage enlightened:"),
    History(Level(88, "Attack0Data2", "Damage", "", "attack_1_damage_restored", E, "attack_1_damage_label", "Damage:", 2), 63, "Attack 1 Damage restored:"),
    History(Level(89, "Attack0Data3", "Damage", "", "attack_1_damage_ascended", E, "attack_1_damage_label", "Damage:", 3), 64, "Attack 1 Damage ascended:"),
    History(Items(Field(90, "Attack1", "DamageType", "Normal", kUB, WC, "attack_1_damage_type", L, "attack_1_damage_type_label", "DamageType:"), kDamageTypeItems), 65, "Attack 1 Damage Type:"),
    History(Field(91, "Attack1", "MoraleDamage", "0", kUB, P, "attack_1_morale_damage", E, "attack_1_morale_damage_label", "Morale Damage:"), 66, "Attack 1 Morale Damage:"),
    History(MoraleType(92, "Attack1", "attack_1_morale_damage_type", "attack_1_morale_damage_type_label"), 67, "Attack 1 Morale Damage Type:"),
    Field(93, "Attack1", "ReloadTime", "0.5", kUB, P, "attack_1_reload_time", E, "attack_1_reload_time_label", "Reload Time:"),
    History(Items(Field(94, "Attack2", "AttackType", "None", kUB, LoadRule::WordCaseZeroNone, "attack_2_type", L, "attack_2_type_label", "Type:"), kAttack2TypeItems), 68, "Attack 2 Type:"),
    History(Field(95, "Attack2", "Animation", "", kUB, P, "attack_2_animation", E, "attack_2_animation_label", "Anim:"), 69, "Attack 2 Animation:"),
    History(Field(96, "Attack2", "Damage", "", kUB, P, "attack_2_damage", E, "attack_2_damage_label", "Damage:"), 70, "Attack 2 Damage:"),
    History(Items(Field(97, "Attack2", "DamageType", "Normal", kUB, WC, "attack_2_damage_type", L, "attack_2_damage_type_label", "DamageType:"), kDamageTypeItems), 71, "Attack 2 Damage Type:"),
    History(Field(98, "Attack2", "MoraleDamage", "0", kUB, P, "attack_2_morale_damage", E, "attack_2_morale_damage_label", "Morale Damage:"), 72, "Attack 2 Morale Damage:"),
    History(MoraleType(99, "Attack2", "attack_2_morale_damage_type", "attack_2_morale_damage_type_label"), 73, "Attack 2 Morale Damage Type:"),
    Field(100, "Attack2", "ReloadTime", "0.5", kUB, P, "attack_2_reload_time", E, "attack_2_reload_time_label", "Reload Time:"),
    History(Items(Field(101, "BuildHierarchy", "OnlyFaction", "Any", kUB, P, "only_faction", L, "only_faction_label", "OnlyFaction:"), kOnlyFactionItems), 90, "OnlyFaction"),
    History(Items(Field(102, "BuildHierarchy", "ExceptFaction", "None", kUB, P, "except_faction", L, "except_faction_label", "ExceptFaction:"), kExceptFactionItems), 91, "ExceptFaction"),
    History(Source(Field(103, "BuildHierarchy", "Technology", "None", kUB, P, "technology", L, "technology_label", "Tech:"), ListSource::TechnologyNames), 93, "Technology"),
    History(Items(Field(104, "BuildHierarchy", "Race", "Any", kUB, P, "race", L, "race_label", "Race:"), kRaceItems), 92, "Race"),
}};
// clang-format on

constexpr FieldDef kProperNameField = {0,
                                       "ObjectData",
                                       "ProperName",
                                       nullptr,
                                       "",
                                       kUB,
                                       P,
                                       "proper_name",
                                       E,
                                       "ObjectData",
                                       "ProperName",
                                       "proper_name_label",
                                       "Proper name:",
                                       0,
                                       20,
                                       ListSource::None,
                                       {},
                                       false,
                                       false,
                                       "Proper Name",
                                       1};

// clang-format off
constexpr std::array<SoundSlotDef, 15> kSoundSlotTable = {{
    {SoundGroup::Death, 0, "ObjectData", "DeathSound1", "death_sound_1", "Death Sound 1:"},
    {SoundGroup::Death, 1, "ObjectData", "DeathSound2", "death_sound_2", "Death Sound 2:"},
    {SoundGroup::Attack1, 0, "Attack1", "Sound1", "attack_1_sound_1", "Atk 1 Sound 1:"},
    {SoundGroup::Attack1, 1, "Attack1", "Sound2", "attack_1_sound_2", "Atk 1 Sound 2:"},
    {SoundGroup::Attack2, 0, "Attack2", "Sound1", "attack_2_sound_1", "Atk 2 Sound 1:"},
    {SoundGroup::Attack2, 1, "Attack2", "Sound2", "attack_2_sound_2", "Atk 2 Sound 2:"},
    {SoundGroup::Selection, 0, "ObjectData", "SelectionSound1", "select_sound_1", "Select Snd 1:"},
    {SoundGroup::Selection, 1, "ObjectData", "SelectionSound2", "select_sound_2", "Select Snd 2:"},
    {SoundGroup::Selection, 2, "ObjectData", "SelectionSound3", "select_sound_3", "Select Snd 3:"},
    {SoundGroup::Selection, 3, "ObjectData", "SelectionSound4", "select_sound_4", "Select Snd 4:"},
    {SoundGroup::Selection, 4, "ObjectData", "SelectionSound5", "select_sound_5", "Select Snd 5:"},
    {SoundGroup::Command, 0, "ObjectData", "CommandSound1", "command_sound_1", "Cmd Sound 1:"},
    {SoundGroup::Command, 1, "ObjectData", "CommandSound2", "command_sound_2", "Cmd Sound 2:"},
    {SoundGroup::Command, 2, "ObjectData", "CommandSound3", "command_sound_3", "Cmd Sound 3:"},
    {SoundGroup::Command, 3, "ObjectData", "CommandSound4", "command_sound_4", "Cmd Sound 4:"},
}};
// clang-format on

namespace {

constexpr bool RowsAreInOrder() {
    for (int i = 0; i < kFieldCount; ++i) {
        if (kFieldTable[i].row != i + 1) return false;
    }
    return true;
}
static_assert(RowsAreInOrder(), "kFieldTable[row - 1] must be row `row`");

constexpr bool EveryFieldHasALabel() {
    for (const FieldDef& f : kFieldTable) {
        if (!f.control || !f.label || !f.caption || !f.key || !f.shownKey || !f.defaultValue)
            return false;
    }
    return true;
}
static_assert(EveryFieldHasALabel(), "every field has a control, a label and keys");

// Every field the history compares (the proper name and the rows) has one place among
// 1..kHistoryFieldCount and no two share one, so the places are exactly 1..kHistoryFieldCount.
constexpr bool HistoryPlacesAreOneEach() {
    std::array<int, kHistoryFieldCount + 1> taken{};
    auto take = [&](const FieldDef& f) {
        if ((f.historyLabel == nullptr) != (f.historyPlace == 0)) return false;
        if (f.historyPlace == 0) return true;
        return f.historyPlace <= kHistoryFieldCount && ++taken[f.historyPlace] == 1;
    };
    if (!take(kProperNameField)) return false;
    for (const FieldDef& f : kFieldTable) {
        if (!take(f)) return false;
    }
    for (int place = 1; place <= kHistoryFieldCount; ++place) {
        if (taken[place] != 1) return false;
    }
    return true;
}
static_assert(HistoryPlacesAreOneEach(),
              "history places run 1..kHistoryFieldCount, each taken by one field with a label");

}  // namespace

const FieldDef* FieldByRow(int row) {
    return row >= 1 && row <= kFieldCount ? &kFieldTable[static_cast<size_t>(row - 1)] : nullptr;
}

const FieldDef* FieldByControl(std::string_view control) {
    if (control == kProperNameField.control) return &kProperNameField;
    for (const FieldDef& f : kFieldTable) {
        if (control == f.control) return &f;
    }
    return nullptr;
}

const FieldDef* FieldByShownKey(const char* section, std::string_view key) {
    if (section && SameName(section, kProperNameField.shownSection) &&
        SameName(key, kProperNameField.shownKey)) {
        return &kProperNameField;
    }
    for (const FieldDef& f : kFieldTable) {
        const bool sameSection =
            section ? (f.shownSection && SameName(section, f.shownSection)) : !f.shownSection;
        if (sameSection && SameName(key, f.shownKey)) return &f;
    }
    return nullptr;
}

namespace {

struct Hint {
    const char* control;
    const char* text;
};

// clang-format off
constexpr Hint kHints[] = {
    {"max_hit_points", "Amount of damage the unit can take before death, integer between 1 and 30000."},
    {"defense", "Defensive strength of the unit, between 0 and 99, higher is better."},
    {"cost_in_gold", "Commission cost in gold of the unit, between 0 and 99."},
    {"stone_upkeep", "Amount of stone per minute this unit requires, between 0 and 9."},
    {"wood_upkeep", "Amount of wood per minute this unit requires, between 0 and 9."},
    {"iron_upkeep", "Amount of iron per minute this unit requires, between 0 and 9."},
    {"mana_upkeep", "Amount of mana per minute this unit requires, between 0 and 9."},
    {"walk_distance", "Number of tiles (float) the unit moves in one animation cycle."},
    {"movement_rate", "How fast the unit moves over open ground, higher is faster."},
    {"entrenchment_rate", "Entrenchment rate (float), higher is faster."},
    {"morale", "The amount of morale a company with this unit has."},
    {"control_zone", "How far out (in tiles) does the object's control zone extend?"},
    {"visual_range", "How far out (in tiles) does the object's visual range extend?"},
    {"max_mana", "The total amount of mana this unit has."},
    {"mana_regen", "The amount of mana per second this unit regenerates."},
    {"spell_0", "What spell will this unit try to cast?"},
    {"spell_1", "What spell will this unit try to cast?"},
    {"attack_1_type", "The style of attack. Melee (combat) or projectile (archer) for attack 1."},
    {"attack_2_type", "Attack 2 can be melee, projectile, cast, or build."},
    {"attack_1_damage_type", "The type of damage, impacted by resistances of attacked unit."},
    {"attack_2_damage_type", "The type of damage, impacted by resistances of attacked unit."},
    {"attack_1_damage", "The base amount of damage this attack inflicts."},
    {"attack_2_damage", "The base amount of damage this attack inflicts."},
    {"attack_1_morale_damage", "The amount of enemy morale that is lost with each attack of this type."},
    {"attack_2_morale_damage", "The amount of enemy morale that is lost with each attack of this type."},
    {"attack_1_morale_damage_type", "What type of morale damage is inflicted, modified by resistance of attacked unit."},
    {"attack_2_morale_damage_type", "What type of morale damage is inflicted, modified by resistance of attacked unit."},
    {"attack_1_reload_time", "How long it takes this unit to attack again."},
    {"attack_2_reload_time", "How long it takes this unit to attack again"},
    {"type", "Support=support slots only, Front=frontline only, Solo=single unit(used in campaigns only), militia=issues from settlements only, Captain=captain slot only."},
    {"captain", "Front line units must have captains, other types may not have captains."},
    {"overwrite_color", "\"Player\" means the color of the player who owns the unit, or override this with a specific color."},
    {"technology", "What technology is required to build this?"},
    {"only_faction", "What is the only faction that can build this?"},
    {"except_faction", "What is the only faction that cannot build this?"},
    {"race", "What race of Vaelor inhabitants can build this?"},
    {"description", "This is a detailed description of the object."},
    {"proper_name", "The unit's displayed name. Maximum 20 Alphanumeric characters."},
    {"unique_name", "Unique identifier of object, change this to create a new object based on the current object."},
};
// clang-format on

}  // namespace

const char* ControlHint(std::string_view control) {
    for (const Hint& h : kHints) {
        if (control == h.control) return h.text;
    }
    return nullptr;
}
