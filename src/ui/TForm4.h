// TForm4: the About window: the program's name and purpose, its version and when it was built.
//
// It is made once and shown without blocking the editor; choosing About again brings the
// same window back where the user left it. Like the Loading window, its 503 by 232 pixels
// are the size of its inside, the frame being the window manager's.
#pragma once

#include <QDialog>
#include <QPixmap>

class QPaintEvent;

class TForm4 : public QDialog {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);

    // Shows the window, or brings it to the front if it is open.
    void ShowAbout();

    // The picture the window is tiled with (the stone unless replaced).
    void SetBackground(const QPixmap& tile);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap background_;
};
