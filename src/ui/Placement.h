// Placement: where the main window's controls sit and when they are shown.
//
// The editing area is divided into frames (bevels with a yellow caption); which frame a field
// control belongs to, and in which views, is data (kFieldPlaces in Placement.cpp), not code.
// The panels register their controls here; Apply shows what the view, the hero level, the
// sound panel mode and the Cast rule allow, hides the rest, and lays each shown frame out
// again when that state changed.
#pragma once

#include <QRect>
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "objects/ObjectCatalogue.h"

class QLabel;
class QWidget;

// Views as bits, for the placement tables.
inline constexpr unsigned kInUnits = 1u << kViewUnits;
inline constexpr unsigned kInHeroes = 1u << kViewHeroes;
inline constexpr unsigned kInBuildings = 1u << kViewBuildings;
inline constexpr unsigned kInGlobal = 1u << kViewGlobal;
inline constexpr unsigned kInComponents = 1u << kViewComponents;

// Where the field of one control sits: its frame (null: a place of its own), its views, and
// how many characters its box is wide (0: as wide as its typing limit or its fixed items ask).
// A hero level variant sits where its base control does.
struct FieldPlace {
    const char* control;
    const char* frame;
    unsigned views;
    int chars = 0;
};
// Every field control's place, frame by frame; within a frame, the order its controls are
// laid out in (row by row) and walked by Tab.
std::span<const FieldPlace> FieldPlaces();
// The place of a field control (a level variant's is its base's), or null.
const FieldPlace* FieldPlaceOf(const std::string& control);

// The property a box's typing limit is kept in (a number of characters), read by the layout.
inline constexpr const char* kTypingLimitProperty = "typingLimit";

// The state that decides what is shown.
struct ShownState {
    int view = kViewUnits;
    int heroLevel = 0;  // only the Heroes view shows levels other than the base
    bool soundMode = false;
    bool cast = false;  // the Attack2 type reads "Cast"
    bool operator==(const ShownState&) const = default;
};

class Placement {
  public:
    explicit Placement(QWidget* client);
    ~Placement();

    // A control shown in views inside a frame (null for none); label, if any, is shown while
    // any control carrying it is. level 0..3 shows the control at that hero level only.
    struct Options {
        int level = -1;
        bool hiddenInSoundMode = false;  // the description memo
        bool hiddenWhenCast = false;     // the Attack2 damage controls
        bool fixed = false;              // its panel gives it its geometry
    };
    void Place(QWidget* control, QLabel* label, const char* frame, unsigned views, Options options);
    void Place(QWidget* control, QLabel* label, const char* frame, unsigned views) {
        Place(control, label, frame, views, Options{});
    }
    // A field control, by its place in kFieldPlaces.
    void PlaceField(QWidget* control, QLabel* label, int level);

    // Shows and hides for the state and lays out the frames when the state changed.
    void Apply(const ShownState& state);
    void HideAll();

  private:
    struct Frame;
    struct Placed;
    bool FrameShown(const Frame* frame, const ShownState& state) const;
    bool Shown(const Placed& placed, const ShownState& state) const;
    void LayoutFrames(const ShownState& state);

    QWidget* client_;
    std::vector<std::unique_ptr<Frame>> frames_;
    std::vector<Placed> placed_;
    bool laidOut_ = false;
    ShownState last_;
};
