#include "World.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr unsigned C = Mask(kCorvane), S = Mask(kSkarn), E = Mask(kElith), T = Mask(kThuld),
                   O = Mask(kOssk);

}  // namespace

const std::vector<Role>& Roles() {
    static const std::vector<Role> roles = {
        // Front line
        {"Warrior", "Front", Style::Melee, C | S | E | T, 90, 8, 10, 20, "Normal", "is the backbone of every warband that marches under its banner."},
        {"Spearman", "Front", Style::Melee, C | E | T, 85, 9, 9, 22, "Normal", "holds the line with a long ash spear and a round shield."},
        {"Pikeman", "Front", Style::Melee, C | T, 95, 10, 10, 26, "Normal", "stands in deep ranks that break the charge of any rider."},
        {"Swordsman", "Front", Style::Melee, C | E, 95, 10, 12, 28, "Normal", "fights in mail with a broad blade, drilled in the old fencing yards."},
        {"Axeman", "Front", Style::Melee, S | T, 100, 8, 13, 26, "Normal", "hews through shields and the arms behind them."},
        {"Halberdier", "Front", Style::Melee, C | T, 105, 11, 13, 32, "Normal", "guards the gates of the crown's towns with hook and blade."},
        {"Shieldbearer", "Front", Style::Melee, C | E | T, 120, 14, 7, 30, "Normal", "carries a tower shield that turns arrows and spells alike."},
        {"Reaver", "Front", Style::Melee, S, 110, 7, 15, 30, "Normal", "raids the border farms with a hooked blade in each hand."},
        {"Berserker", "Front", Style::Melee, S | T, 100, 5, 17, 32, "Normal", "fights without armour and without fear once the blood is up."},
        {"Knight", "Front", Style::Mounted, C, 160, 15, 16, 55, "Holy", "rides a barded charger and answers only to the crown."},
        {"Lancer", "Front", Style::Mounted, C | E, 140, 11, 15, 48, "Normal", "breaks enemy lines with a couched lance at full gallop."},
        {"Outrider", "Front", Style::Mounted, S | E, 110, 8, 11, 36, "Normal", "scouts ahead of the host on a swift, lightly barded mount."},
        {"Ironclad", "Front", Style::Melee, T, 180, 18, 13, 60, "Vaelorite", "wears plate forged from Vaelorite ore in the deep halls."},
        {"Brute", "Front", Style::Melee, S, 150, 9, 16, 40, "Normal", "swings a tree-trunk club that scatters whole ranks."},
        {"Raider", "Front", Style::Mounted, S | O, 90, 6, 12, 24, "Normal", "strikes supply lines and is gone before the alarm is raised."},
        {"Vanguard", "Front", Style::Melee, C | T, 130, 13, 13, 42, "Normal", "marches first into every battle and leaves it last."},
        {"Templar", "Front", Style::Melee, C | E, 130, 14, 14, 50, "Holy", "has sworn to cleanse Vaelor of every unholy thing."},
        {"Zealot", "Front", Style::Melee, C, 100, 8, 15, 34, "Holy", "follows the burning hymns of the chapels into the fray."},
        {"Harrower", "Front", Style::Beast, O, 110, 10, 14, 30, "Normal", "cuts through the press with scythe-like forelimbs."},
        {"Carapace_Guard", "Front", Style::Beast, O, 140, 16, 10, 34, "Normal", "shields the hive with a shell harder than Thuld steel."},
        {"Blademaster", "Front", Style::Melee, E, 110, 10, 18, 52, "Vorpal", "has spent a century perfecting a single cut."},
        {"Deathguard", "Front", Style::Melee, S, 150, 14, 15, 50, "Unholy", "guards the warlord's tent with a cursed glaive."},
        // Support
        {"Archer", "Support", Style::Ranged, C | E | S, 60, 4, 9, 24, "Normal", "looses volleys from behind the front ranks."},
        {"Longbowman", "Support", Style::Ranged, C | E, 65, 4, 11, 30, "Normal", "draws a yew bow taller than himself."},
        {"Crossbowman", "Support", Style::Ranged, C | T, 70, 6, 12, 30, "Normal", "cranks a heavy crossbow that punches through mail."},
        {"Slinger", "Support", Style::Ranged, S | O, 55, 3, 7, 14, "Normal", "hurls stones with a sling of braided gut."},
        {"Skirmisher", "Support", Style::Ranged, E | S, 60, 5, 8, 20, "Normal", "harries the enemy flanks with javelins."},
        {"Ranger", "Support", Style::Ranged, E, 70, 6, 11, 34, "Normal", "knows every path of the old forests."},
        {"Healer", "Support", Style::Caster, C | E, 55, 3, 5, 30, "Magic", "mends the wounded between the clashes."},
        {"Chaplain", "Support", Style::Caster, C | T, 70, 6, 8, 36, "Holy", "leads the hymns that steady wavering troops."},
        {"Lightweaver", "Support", Style::Caster, E, 60, 4, 10, 44, "Magic", "spins dawnlight into lances and wards."},
        {"Runecaster", "Support", Style::Caster, T, 75, 7, 10, 46, "Vaelorite", "carves runes of Vaelorite that burn with cold fire."},
        {"Hexer", "Support", Style::Caster, S, 60, 4, 9, 38, "Unholy", "lays curses that rot armour and resolve."},
        {"Shaman", "Support", Style::Caster, S | O, 65, 5, 8, 34, "Magic", "calls on the spirits of the ash plains."},
        {"Bonecaller", "Support", Style::Caster, T | S, 70, 5, 9, 42, "Unholy", "raises the fallen to fight again."},
        {"Stormcaller", "Support", Style::Caster, E | C, 60, 4, 12, 48, "Magic", "draws lightning down from a clear sky."},
        {"Engineer", "Support", Style::Builder, T | C, 70, 6, 6, 28, "Normal", "raises palisades and repairs breached walls."},
        {"Siegewright", "Support", Style::Builder, T, 80, 7, 14, 50, "Normal", "builds and works the great siege engines."},
        {"Drummer", "Support", Style::Melee, S, 60, 4, 5, 18, "Normal", "beats the war drums that drive the host forward."},
        {"Standard_Bearer", "Support", Style::Melee, C | T, 80, 8, 6, 26, "Normal", "carries the company's colours where all can see them."},
        {"Spitter", "Support", Style::Ranged, O, 60, 6, 10, 22, "Unholy", "sprays acid that eats through shields."},
        {"Mender", "Support", Style::Caster, T, 70, 7, 6, 30, "Magic", "binds wounds with runed bandages."},
        // Captains
        {"Captain", "Captain", Style::Melee, C, 140, 12, 14, 60, "Normal", "commands a company of the crown's soldiers."},
        {"Warchief", "Captain", Style::Melee, S, 170, 10, 18, 65, "Normal", "rules a warband by strength alone."},
        {"Marshal", "Captain", Style::Mounted, C | T, 160, 14, 15, 70, "Normal", "orders the march and the battle line."},
        {"Thane", "Captain", Style::Melee, T, 180, 16, 15, 70, "Vaelorite", "leads the household troops of a deep hall."},
        {"Warlord", "Captain", Style::Melee, S, 190, 12, 19, 80, "Unholy", "has united a dozen warbands under one banner."},
        {"Matriarch", "Captain", Style::Caster, E | O, 130, 9, 12, 75, "Magic", "speaks for the elders of her people."},
        {"Hetman", "Captain", Style::Mounted, C | S, 150, 11, 16, 62, "Normal", "leads the free riders of the border steppes."},
        {"Arbiter", "Captain", Style::Melee, E, 140, 12, 15, 72, "Holy", "judges and leads in the name of the Conclave."},
        {"Hivelord", "Captain", Style::Beast, O, 200, 14, 17, 78, "Normal", "binds the swarm to a single will."},
        // Militia
        {"Levy", "Militia", Style::Melee, C, 50, 3, 5, 0, "Normal", "is called from the fields when the beacons burn."},
        {"Peasant", "Militia", Style::Melee, C | T, 45, 2, 4, 0, "Normal", "takes up a pitchfork to defend the home village."},
        {"Thrall", "Militia", Style::Melee, S, 55, 2, 6, 0, "Normal", "fights for the masters who feed it."},
        {"Conscript", "Militia", Style::Melee, C | S, 55, 4, 6, 0, "Normal", "was pressed into service at the last muster."},
        {"Watchman", "Militia", Style::Ranged, C | T | E, 50, 4, 5, 0, "Normal", "keeps the walls at night with a lantern and a bow."},
        {"Forester", "Militia", Style::Ranged, E, 50, 3, 6, 0, "Normal", "guards the sacred groves."},
        {"Miner", "Militia", Style::Melee, T, 60, 5, 6, 0, "Normal", "defends the tunnels with pick and lamp."},
        {"Drone", "Militia", Style::Beast, O, 45, 4, 5, 0, "Normal", "swarms from the hive when it is threatened."},
        {"Hunter", "Militia", Style::Ranged, E | S, 50, 3, 7, 0, "Normal", "brings down game and intruders alike."},
        // Monsters
        {"Broodmother", "Monster", Style::Beast, O, 260, 14, 20, 0, "Unholy", "spawns a new swarm with every dusk."},
        {"Swarmling", "Monster", Style::Beast, O, 35, 2, 5, 0, "Normal", "comes in hundreds and dies in hundreds."},
        {"Gorehound", "Monster", Style::Beast, S, 80, 6, 12, 0, "Normal", "is bred in the pits for the hunt and the war."},
        {"Troll", "Monster", Style::Beast, S, 240, 12, 22, 0, "Normal", "regrows what the blades take from it."},
        {"Hulk", "Monster", Style::Beast, O, 300, 18, 24, 0, "Normal", "batters down gates with its armoured skull."},
        // Solo
        {"Duelist", "Solo", Style::Melee, E | C, 120, 10, 18, 0, "Vorpal", "wanders from court to court seeking a worthy opponent."},
        {"Assassin", "Solo", Style::Melee, S | E, 90, 6, 22, 0, "Vorpal", "is paid in Vaelorite and never seen twice."},
        {"Champion", "Solo", Style::Melee, C | T | S, 220, 16, 20, 0, "Normal", "has won every tourney of the realm."},
        {"Emissary", "Solo", Style::Caster, kAll, 80, 6, 6, 0, "Magic", "carries the word of the council under a flag of truce."},
        {"Wanderer", "Solo", Style::Ranged, E, 100, 8, 14, 0, "Normal", "walks the old roads alone."},
    };
    return roles;
}

const Role& FindRole(const char* name) {
    for (const Role& r : Roles()) {
        if (std::strcmp(r.name, name) == 0) return r;
    }
    std::abort();
}

const std::vector<std::string>& GivenNames(Race race) {
    static const std::vector<std::string> names[kRaceCount] = {
        {"Aldric", "Berwyn", "Cedric", "Daven", "Edric", "Falk", "Garrow", "Hal", "Isolde", "Jory", "Kestrel", "Lisbet",
         "Maude", "Osric", "Perrin", "Rowena", "Sabine", "Tamsin", "Ulric", "Wystan", "Anselm", "Brienne", "Corwin", "Elspeth"},
        {"Grusk", "Vharka", "Dreg", "Moggrah", "Throk", "Uzra", "Karsk", "Bolgra", "Skrag", "Ruuk", "Zhega", "Hrokk",
         "Gharn", "Oruk", "Vosk", "Narga", "Brak", "Ulgra", "Drazh", "Krull", "Margh", "Tazra", "Gorrim", "Yagga"},
        {"Aelwen", "Caerith", "Ilvarin", "Lethiel", "Maelis", "Nimriel", "Orathil", "Sylvaen", "Thalion", "Elowen", "Faelar", "Galathir",
         "Ithrel", "Liriel", "Mirethil", "Naerys", "Quellan", "Sariel", "Vaelith", "Aerin", "Celebrin", "Eilua", "Lorien", "Tirion"},
        {"Borin", "Dagna", "Hrodgar", "Korvik", "Magni", "Thrain", "Ulfa", "Brunhild", "Grimnar", "Hjalmar", "Durgan", "Olvir",
         "Rurik", "Sigrun", "Torvald", "Vestra", "Balgrim", "Eidra", "Fundin", "Kolla", "Gerda", "Halvar", "Ingrid", "Snorri"},
        {"Ksarath", "Vreex", "Thissk", "Zzorak", "Ixxa", "Chitrak", "Sszal", "Quorrix", "Tzikka", "Vexxil", "Kraxis", "Nyssa",
         "Xorrath", "Sskir", "Zhixa", "Trekka", "Ozzak", "Virrix", "Kiszra", "Hisskar", "Zaxxa", "Krisst", "Vaskir", "Ixtrel"},
    };
    return names[race];
}

const std::vector<std::string>& FamilyNames(Race race) {
    static const std::vector<std::string> names[kRaceCount] = {
        {"Vane", "Ashdown", "Blackmere", "Crowell", "Dunmore", "Fairholt", "Greyward", "Harrow", "Lockwood", "Marlow", "Northcott", "Penhallow",
         "Ravenscar", "Stroud", "Thorne", "Underhill", "Wick", "Ainsley", "Brandt", "Caldwell", "Everard", "Hollis", "Morrow", "Tennant"},
        {"Ironjaw", "Bloodtusk", "Skullsplitter", "Ashmaw", "Gorefist", "Bonegnaw", "Redhand", "Blackscar", "Stonehide", "Rotfang", "Cinderback", "Grimtooth",
         "Wolfbane", "Direclaw", "Ironhide", "Gutripper", "Sunderfist", "Ragemaw", "Deepscar", "Ashtusk", "Bloodeye", "Gravemaw", "Hollowgut", "Spinebreaker"},
        {"Dawnwhisper", "Starbloom", "Silverleaf", "Moonshadow", "Brightwater", "Thornsong", "Evenmist", "Willowmere", "Sunweaver", "Nightbreeze", "Frostpetal", "Goldenbough",
         "Ashgrove", "Mistral", "Glimmerdawn", "Swiftarrow", "Stillwater", "Lightfoot", "Hollowbrook", "Windrider", "Dewlight", "Fernsong", "Greenmantle", "Starfall"},
        {"Stonefist", "Deepdelver", "Ironbrow", "Anvilheart", "Coppervein", "Granitebeard", "Hammerfall", "Emberforge", "Runekeeper", "Goldseam", "Blackanvil", "Flintshield",
         "Orebreaker", "Steelgrip", "Bronzebeard", "Coalhand", "Rockjaw", "Silvervein", "Tunnelborn", "Forgeborn", "Cragmantle", "Deepbeard", "Ironvein", "Slatehelm"},
        {"Broodborn", "Chitinclaw", "Venomspine", "Ashcarapace", "Swarmcaller", "Dusthive", "Needlejaw", "Glasswing", "Blightsting", "Hollowshell", "Mirehive", "Sandburrow",
         "Duskwing", "Ironmandible", "Spitfang", "Clattershell", "Rustwing", "Deepnest", "Sporeback", "Thornsting", "Ashwing", "Gloomhive", "Razorleg", "Silkspinner"},
    };
    return names[race];
}

const std::vector<std::string>& HeroEpithets() {
    static const std::vector<std::string> epithets = {
        "the Steadfast", "the Bold", "the Unbroken", "the Grey", "the Oathkeeper", "the Red", "the Wise",
        "the Betrayer", "the Lame", "of the Long Watch", "the Ashborn", "the Crownless", "the Silent",
        "the Pale", "of the Seven Fords", "the Unbowed", "the Hollow", "Kingsbane", "the Merciful", "the Last"};
    return epithets;
}

const char* HomeFaction(Race race, unsigned variant) {
    static const char* const homes[kRaceCount][2] = {{"Crownward", "Freeholder"},
                                                      {"Freeholder", "Veyl"},
                                                      {"Conclave", "Crownward"},
                                                      {"Crownward", "Conclave"},
                                                      {"Veyl", "Veyl"}};
    return homes[race][variant % 2];
}

const std::vector<std::string>& PlacePrefixes() {
    static const std::vector<std::string> p = {"Ash", "Black", "Iron", "Frost", "Raven", "Thorn", "Grey", "Wolf",
                                               "Stone", "Red", "Elder", "Gold", "Dusk", "Storm", "Oak", "Moss",
                                               "Cinder", "Hollow", "Bright", "Salt", "Crow", "Deep", "High", "Mire"};
    return p;
}

const std::vector<std::string>& PlaceSuffixes() {
    static const std::vector<std::string> s = {"ford", "mere", "hold", "vale", "wick", "crag", "fell", "moor", "haven", "reach",
                                               "watch", "gate", "barrow", "stead", "brook", "more", "holt", "fen", "dale", "wold"};
    return s;
}

const std::vector<std::string>& SettlementLevels(Race race) {
    static const std::vector<std::string> levels[kRaceCount] = {
        {"Hamlet", "Village", "Town", "City"},
        {"Camp", "Warcamp", "Stronghold", "Fortress"},
        {"Grove", "Glade", "Sanctum", "Spire"},
        {"Delve", "Hold", "Deephall", "Citadel"},
        {"Hive", "Broodnest", "Swarmheart"},
    };
    return levels[race];
}

const std::vector<Site>& Sites() {
    static const std::vector<Site> sites = {
        {"Gold_Mine", "A seam of gold worked by whoever holds the hill.", 12, 40, 120, true, false},
        {"Iron_Mine", "Ore for the forges of every faction.", 4, 20, 60, true, false},
        {"Quarry", "Cut stone for walls and keeps.", 2, 10, 40, true, false},
        {"Lumber_Camp", "Timber from the old forests.", 2, 10, 30, true, false},
        {"Mana_Font", "A spring where the land's power wells up.", 6, 30, 90, true, false},
        {"Watchtower", "A stone tower that looses arrows on all who approach.", 0, 10, 20, true, true},
        {"Shrine", "A wayside shrine to the old powers of Vaelor.", 3, 15, 50, true, false},
        {"Ruins", "What is left of a keep from before the Sundering.", 0, 50, 200, false, false},
        {"Lair", "A den that spawns beasts until it is cleared.", 0, 60, 180, false, false},
        {"Outpost", "A fortified camp on a contested road.", 2, 20, 60, true, true},
        {"Bridge_Fort", "A fort that holds the only crossing for miles.", 3, 30, 80, true, true},
        {"Monastery", "Monks who tend the sick and keep the old records.", 5, 20, 70, true, false},
        {"Trading_Post", "Merchants of every race meet here under truce.", 8, 30, 100, true, false},
        {"Barrow", "An ancient grave mound; the dead do not rest here.", 0, 40, 160, false, false},
        {"Standing_Stones", "A ring of stones humming with old magic.", 0, 20, 80, false, false},
    };
    return sites;
}

const std::vector<ComponentKind>& ComponentKinds() {
    static const std::vector<ComponentKind> kinds = {
        {"Barracks", 120, 45, nullptr}, {"Forge", 150, 60, "Iron"}, {"Granary", 80, 30, nullptr},
        {"Lumber_Mill", 90, 40, "Wood"}, {"Quarry_Works", 100, 45, "Stone"}, {"Mana_Well", 180, 70, "Mana"},
        {"Temple", 200, 80, nullptr}, {"Palisade", 60, 25, nullptr}, {"Stone_Walls", 240, 120, nullptr},
        {"Watchtower", 90, 40, nullptr}, {"Market", 160, 60, "Gold"}, {"Stables", 140, 55, nullptr},
        {"Mage_Tower", 260, 110, "Mana"}, {"Mine_Shaft", 130, 60, "Iron"}, {"Tavern", 70, 30, "Gold"},
        {"Armory", 170, 70, nullptr}, {"Archery_Range", 110, 45, nullptr}, {"Library", 190, 90, nullptr},
        {"Harbor", 220, 100, "Gold"}, {"Foundry", 210, 90, "Iron"}, {"Smelter", 160, 70, "Iron"},
        {"Shrine", 80, 35, "Mana"}, {"Treasury", 250, 100, "Gold"}, {"Guildhall", 230, 95, "Gold"},
        {"Siege_Workshop", 240, 110, nullptr}, {"Kennels", 90, 40, nullptr}, {"Alchemist", 170, 75, "Mana"},
        {"Bathhouse", 100, 40, nullptr}, {"Cistern", 70, 30, nullptr}, {"Gatehouse", 150, 70, nullptr},
        {"Beacon", 50, 20, nullptr}, {"Ossuary", 120, 50, "Mana"}, {"Hatchery", 110, 45, nullptr},
        {"Rune_Circle", 200, 85, "Mana"}, {"War_Pit", 100, 40, nullptr}, {"Moonwell", 180, 75, "Mana"},
        {"Deep_Forge", 260, 120, "Iron"}, {"Brood_Chamber", 140, 60, nullptr}, {"Herbalist", 80, 35, nullptr},
        {"Chapel", 110, 45, "Mana"}, {"Observatory", 220, 95, "Mana"}, {"Bell_Tower", 90, 40, nullptr},
        {"Sanctuary", 210, 90, "Mana"}, {"Aqueduct", 180, 85, nullptr}, {"Workshop", 120, 50, "Wood"},
        {"Training_Yard", 100, 40, nullptr}, {"Mess_Hall", 80, 35, nullptr}, {"Prison", 110, 45, nullptr},
        {"Courthouse", 170, 70, "Gold"}, {"Mint", 260, 110, "Gold"}, {"Vault", 230, 100, nullptr},
        {"Arena", 200, 90, "Gold"}, {"Menagerie", 150, 65, nullptr}, {"Apothecary", 110, 45, nullptr},
        {"Scriptorium", 140, 60, nullptr}, {"Tannery", 70, 30, nullptr}, {"Weavers_Hall", 90, 40, "Gold"},
        {"Brewery", 80, 35, "Gold"}, {"Windmill", 60, 30, nullptr}, {"Sawpit", 50, 25, "Wood"},
        {"Charcoal_Kilns", 60, 30, "Wood"}, {"Stoneworks", 120, 55, "Stone"}, {"Lighthouse", 150, 70, nullptr},
    };
    return kinds;
}

const std::vector<BonusKind>& BonusKinds() {
    static const std::vector<BonusKind> kinds = {
        {"ArmorPiercing", "Armor Piercing", "Damage against armoured targets is multiplied.", "Multiply", "1.25"},
        {"ChargeBonus", "Charge", "Damage of the first blow after a charge is multiplied.", "Multiply", "1.5"},
        {"DamageMultiplier", "Might", "All damage dealt is multiplied.", "Multiply", "1.1"},
        {"SpeedMultiplier", "Swiftness", "Movement rate is multiplied.", "Multiply", "1.2"},
        {"ReloadMultiplier", "Quick Hands", "Time between attacks is multiplied.", "Multiply", "0.8"},
        {"MagicResistance", "Magic Resistance", "Damage taken from Magic attacks is multiplied.", "Multiply", "0.75"},
        {"HolyResistance", "Holy Resistance", "Damage taken from Holy attacks is multiplied.", "Multiply", "0.75"},
        {"UnholyResistance", "Unholy Resistance", "Damage taken from Unholy attacks is multiplied.", "Multiply", "0.75"},
        {"VorpalResistance", "Vorpal Resistance", "Damage taken from Vorpal attacks is multiplied.", "multiply", "0.8"},
        {"VaeloriteResistance", "Vaelorite Resistance", "Damage taken from Vaelorite weapons is multiplied.", "Multiply", "0.8"},
        {"ArmorBonus", "Armour", "Defense is raised.", "Add", "2"},
        {"MoraleBonus", "Courage", "Company morale is raised.", "Add", "5"},
        {"Regeneration", "Regeneration", "Hit points are regained every second.", "Add", "1"},
        {"ManaRecovery", "Mana Recovery", "Mana is regained faster.", "ADD", "1"},
        {"Leadership", "Leadership", "The company's control zone grows.", "Add", "1"},
        {"RangeBonus", "Far Sight", "Visual range grows.", "Add", "2"},
        {"Fearless", "Fearless", "The company never routs.", "Flag", "1"},
        {"Stealth", "Stealth", "Unseen until it attacks.", "Flag", "1"},
        {"Flying", "Flying", "Crosses water and walls.", "Flag", "1"},
        {"TrueSight", "True Sight", "Sees hidden units.", "Flag", "1"},
        {"Siege", "Siege", "Deals full damage to buildings.", "Flag", "1"},
        {"Ambush", "Ambush", "Deals extra damage from forest cover.", "flag", "1"},
        {"Lifesteal", "Life Drain", "A share of damage dealt is regained as hit points.", "Percent", "15"},
        {"Berserk", "Berserk", "Damage rises as hit points fall.", "Percent", "25"},
        {"AuraOfDread", "Aura of Dread", "Enemy companies nearby lose morale.", "Aura", "3"},
        {"Inspire", "Inspire", "Nearby companies recover morale.", "Aura", "2"},
        {"Entrench", "Dig In", "Entrenchment is set to its highest.", "Set", "3"},
        {"Tithe", "Tithe", "A share of the company's upkeep is paid in ash.", nullptr, "10"},
        {"Ashborn", "Ashborn", "Rises once more from its ashes.", "Flag", "1"},
        {"EmberBlood", "Ember Blood", "Burns whoever strikes it.", "Add", "3"},
    };
    return kinds;
}

const std::vector<std::string>& SpellNames() {
    static const std::vector<std::string> names = {
        "Ember Lance", "Stoneskin", "Mend Wounds", "Holy Light", "Wrath of Vaelor", "Ashen Veil",
        "Raise Thralls", "Chain Lightning", "Frost Ward", "Curse of Weakness", "Bloodlust", "Summon Swarm",
        "Blink", "Entangle", "Rally", "Dread", "Haste", "Slow", "Dispel", "Smite", "Plague Cloud", "Earthquake"};
    return names;
}

const std::vector<std::string>& HeroSpellNames() {
    static const std::vector<std::string> names = {"Meteor", "Sanctuary", "Drain Life", "Shadow Step", "Runic Shield",
                                                   "Battle Hymn", "Vorpal Edge", "Crown's Judgement", "Call of the Hive"};
    return names;
}

const std::vector<std::string>& TechnologyNames() {
    static const std::vector<std::string> names = {
        "Ironworking", "Masonry", "Arcane Lore", "Runecraft", "Vaelorite Smelting", "Siegecraft", "Horse Breeding",
        "Herbalism", "Shipbuilding", "Necromancy", "Divine Rites", "Astronomy", "Archery", "Tactics", "Hive Mind"};
    return names;
}

const std::vector<std::string>& GuildTechnologyNames() {
    static const std::vector<std::string> names = {"Merchant Charters", "Mercenary Contracts", "Masters' Guild",
                                                   "Thieves' Cant", "Alchemy", "Cartography"};
    return names;
}

std::string FileStem(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c + 32);
        } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            out += c;
        } else if (c == ' ' || c == '_') {
            out += '_';
        }
    }
    return out;
}

std::string Spaced(const std::string& name) {
    std::string out = name;
    for (char& c : out) {
        if (c == '_') c = ' ';
    }
    return out;
}
