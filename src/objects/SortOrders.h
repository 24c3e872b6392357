// SortOrders: the orders in which the editor lists the objects of a view.
//
// Each order has one primary key, the loaded text of a field read as a decimal integer (the
// proper name for the first order); ties fall back to the proper name, then the unique name,
// both case-insensitive. The keys are the values as loaded: an edit does not move an object
// until the mod is loaded again.
#pragma once

#include <array>

#include "objects/ObjectCatalogue.h"

struct SortOrderDef {
    const char* menuItem;  // object name of the Sort menu item
    const char* caption;
    int row;  // the field row of the primary key; 0 for the proper name
};

inline constexpr std::array<SortOrderDef, 7> kSortOrders = {{
    {"ByProperName1", "By &Proper Name", 0},
    {"ByMaxHitPoints1", "By Max &Hit Points", 50},   // ObjectData/MaxHitPoints
    {"ByDefense1", "By &Defense", 2},                 // ObjectData/Defense
    {"ByAttack1AV1", "By &Attack 1 Dmg", 86},         // Attack1/Damage
    {"ByGoldCost1", "By &Gold Cost", 54},             // ObjectData/CostGold
    {"ByMorale1", "By Mora&le", 64},                  // CompanyData/Morale
    {"ByMovementRate1", "By &Movement Rate", 56},     // UnitData/MovementRate
}};

// The comparator of kSortOrders[index].
ObjectComparator SortComparator(size_t index);
