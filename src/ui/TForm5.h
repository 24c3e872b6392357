// TForm5: the "Security check" window, which asks for the access code of a protected mod.
//
// Opening a protected package asks through it (Ask): the main window is hidden meanwhile, the
// code typed shows as "#", OK or Enter hands it over and Cancel gives nothing, after which the
// project decides whether the mod opens in full, read-only, or not at all. The line about
// reading without the code shows only for codes that allow it. The entry keeps its text from
// one asking to the next. Like the other windows, its 497 by 308 pixels are its inside.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPaintEvent;
class QPushButton;

class TForm5 : public QDialog {
    Q_OBJECT

  public:
    explicit TForm5(QWidget* parent = nullptr);

    // Shows the window until OK, Enter, Cancel or its closing; the text entered, or nothing.
    std::optional<std::string> Ask(bool readOnlyOffered);

    // Shows the read-only line or not (the window's show).
    void FormShow(bool readOnlyOffered);
    // OK: the window closes with the text entered.
    void Button1Click();
    // Cancel: the window closes with nothing.
    void Button2Click();

    QLineEdit* Entry() const { return entry_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QLabel* readOnly_ = nullptr;
    QLineEdit* entry_ = nullptr;
    QPixmap background_;
};
