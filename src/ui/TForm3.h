// TForm3: the Loading window, shown on top of everything while a mod project opens.
//
// The program shows it before the long work starts (ShowForLoad paints it at once), feeds
// it the opening's progress (SetProgress, from the progress callback) and hides it when the
// work is done (FinishLoad).
//
// The window is 540 by 387 pixels. That is the size of its inside: the frame and caption
// belong to the window manager and differ between systems, so the positions of the texts
// are kept relative to the inside, where they are meant to be.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPixmap>

class QPaintEvent;
class QProgressBar;

class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);

    // Shows and raises the window and lets it paint before the caller starts working.
    // The bar starts empty.
    void ShowForLoad();
    void FinishLoad();

    // The picture the window is tiled with (the stone unless replaced).
    void SetBackground(const QPixmap& tile);

public slots:
    // How much of the load is done, from 0 to 1; values outside are clamped. The bar is
    // repainted at once, since the work that reports runs on the window's own thread.
    void SetProgress(double fraction);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QProgressBar* progress_ = nullptr;
    QElapsedTimer sinceDrawn_;  // the bar is drawn at once at most every few frames
    QPixmap background_;
};
