// Restore: the two Edit-menu commands that take back what was done to the object selected in
// the current view.
//
// Restore from mod returns the object to what the opened package gave it: its change records
// go and its bonus lists are as loaded again. Restore from retail returns it to the game's own
// values: its change records go and the fields the game defines are copied from its retail
// counterpart, so that the next package leaves the object out and the game uses its own
// entry. Both act at once and cannot be undone; showing the object again and repainting the
// object list are the window's.
#pragma once

#include <span>

#include "objects/FieldTable.h"

class ChangeList;
class ObjectCatalogue;
class QSResourceMgr;

// The object at currentIndex of the view list goes back to what the opened package gave it.
// True when anything was restored: the object had change records. Its change state becomes
// "supplied by the mod" when mgr reports its resource as the package's, else "unchanged".
bool RestoreFromMod(ObjectCatalogue& catalogue, ChangeList& changes, QSResourceMgr& mgr,
                    int currentIndex);

// The object at currentIndex of the view list goes back to the game's own values: the proper
// name and RetailRestoredFields() of its retail counterpart. True when it has a counterpart.
// Its change state becomes "unchanged".
bool RestoreFromRetail(ObjectCatalogue& catalogue, ChangeList& changes, int currentIndex);

// The fields restore from retail copies beside the proper name: every field the global history
// compares but the proper name and the component keys, and the two attack reload times. The
// global settings, the component list, the bonus lists and the sound slots are not among them.
std::span<const FieldDef* const> RetailRestoredFields();
