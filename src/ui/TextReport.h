// TextReport: a window that shows a text the core made (a comparison of mods) read-only, in a
// fixed-width face so that its columns line up, with a button that saves it as a text file.
//
// The text is kept as the core wrote it (Windows line ends) and saved byte for byte; the box
// shows it with ordinary line breaks. The window does not block the editor: it stays open
// beside it until closed, and showing a new text replaces the old one.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QPlainTextEdit;
class QPushButton;

class TextReport : public QDialog {
    Q_OBJECT

  public:
    // How Save asks for a file: returns the chosen path, or empty to cancel; proposed is the
    // file name offered.
    using FileChooser = std::function<std::string(const std::string& proposed)>;
    // How a failure to write is told.
    using Warning = std::function<void(const QString& message)>;

    TextReport(QWidget* parent, FileChooser choose, Warning warn);

    // Shows text under a caption; proposedFile is what Save offers.
    void ShowText(const QString& caption, std::string text, std::string proposedFile);
    // Save: writes the text to the chosen file.
    void SaveClick();

    QPlainTextEdit* Box() const { return box_; }
    const std::string& Text() const { return text_; }

  private:
    QPlainTextEdit* box_ = nullptr;
    QPushButton* save_ = nullptr;
    FileChooser choose_;
    Warning warn_;
    std::string text_;
    std::string proposed_;
};

// Writes text to path as it stands; false when it could not be written whole.
bool WriteTextFile(const std::string& path, const std::string& text);
