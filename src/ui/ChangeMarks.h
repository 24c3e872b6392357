// ChangeMarks: the marks that tell a change without its colour.
//
// About one man in twelve cannot tell the lists' red from their green, so every changed row
// and box carries a shape as well: a triangle filling the corner for a change of this session,
// a dot for what the mod supplies. Rows draw the mark in a margin before their text; a box
// draws it small in its top-right corner, above the glyphs of its text (a memo in a strip of
// its own beside the text, a list box above its arrow), once it has painted itself. Texts
// stay as they are.
#pragma once

#include <QPlainTextEdit>
#include <QRect>

#include "objects/ChangeList.h"

class QPainter;
class QWidget;

// What the object list's hint says of the marks.
inline constexpr const char* kChangeMarksLegend =
    "A triangle before a name, or in the top-right corner of a box, marks a change of this "
    "session (red); a dot marks what the mod supplies (green); no mark: as in the game.";

// The side of the square a mark takes in a row or box of that height.
int ChangeMarkSize(int height);

// Draws the mark in the square, in its colour: a triangle filling the square's top-right half,
// or a dot filling the square. Nothing for ChangeMark::None.
void DrawChangeMark(QPainter& painter, const QRect& square, ChangeMark mark);

// Where a list row draws its mark: in a margin starting `left` pixels into the row, before
// the text, which starts ChangeMarkSize + 3 pixels further on.
QRect RowMarkSquare(const QRect& row, int left);

// A memo that keeps a strip right of its text for the mark.
class MarkedMemo : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit MarkedMemo(QWidget* parent);
};

// Where a box draws the mark, in the box's own coordinates: its top-right corner.
QRect BoxMarkSquare(const QWidget* box, ChangeMark mark);

// Gives a line edit, list box or memo its mark, drawn by its own painting from now on.
void SetBoxMark(QWidget* box, ChangeMark mark);
ChangeMark BoxMark(const QWidget* box);
