#pragma once

#include <QImage>
#include <QWidget>

#include <chrono>

namespace pell::gui {

// The start-up picture: a borderless 374 by 215 window centred on the screen, showing
// the built-in JPEG stretched to the window.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // Shows the window, paints it at once, blocks for the given time and closes it.
    void showFor(std::chrono::milliseconds time);

    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

} // namespace pell::gui
