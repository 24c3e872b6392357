// TBrixSaver: the build window, on top of everything while a mod is saved.
//
// The main window resets it with a first line, shows it and feeds it every line the package
// writer reports while it writes (on the window's own thread, so each line is drawn at once);
// when the writer is done, the OK button appears and the main window goes on from its click.
//
// The window is 693 by 395 pixels inside; the list shows a line whole, scrolling sideways for
// the long ones (resource names run to a hundred characters).
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <functional>

class QListWidget;
class QPaintEvent;
class QPushButton;

class TBrixSaver : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = 693;
    static constexpr int kClientHeight = 395;

    explicit TBrixSaver(QWidget* parent = nullptr);

    // Hides the OK button, empties the list and adds the first line, when there is one.
    void Reset(const QString& firstLine = QString());
    // Appends a line and draws the list at once (though not more often than a screen shows).
    void AddLine(const QString& text);
    // Shows and raises the window and lets it paint before the caller starts working.
    void ShowForBuild();
    // The build is over: the OK button appears, the list is drawn to its last line.
    void Finish();
    // What OK goes on with, after the window has hidden itself.
    void SetOnOk(std::function<void()> onOk) { onOk_ = std::move(onOk); }
    void Button1Click();

    QListWidget* List() const { return list_; }
    QPushButton* OkButton() const { return ok_; }

  public slots:
    // Escape and the window's close box stand for OK once it is offered; before, the build
    // is still running and the window stays.
    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QListWidget* list_ = nullptr;
    QPushButton* ok_ = nullptr;
    QElapsedTimer sinceDrawn_;
    std::function<void()> onOk_;
};
