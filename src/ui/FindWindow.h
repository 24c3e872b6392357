// FindWindow: the small window of Edit > Find. It holds the text, the "All views" choice and
// a line that tells how the last search went; the main window does the searching. Typing
// reports the text at once (textTyped), Enter or Find Next asks for the next match, Next
// Changed for the next changed object. It stays beside the editor until closed (Escape), and
// the main window's Find, Find Next and Next Changed shortcuts work in it as well.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

class FindWindow : public QDialog {
    Q_OBJECT

  public:
    explicit FindWindow(QWidget* owner);

    // Shows the window with its text selected, ready for typing.
    void Open();
    QString Text() const;
    bool AllViews() const;
    void SetStatus(const QString& status);
    QString Status() const;

  signals:
    void textTyped(const QString& text);
    void findNext();
    void nextChanged();

  private:
    QLineEdit* text_ = nullptr;
    QCheckBox* allViews_ = nullptr;
    QLabel* status_ = nullptr;
};
