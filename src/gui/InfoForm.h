#pragma once

#include "platform/Desktop.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace pell::gui {

class InfoFigure;

// The about box "Info": a picture, the product name, the project's web address (a click
// opens it, a double-click draws a figure over the box) and a contact line.
class InfoForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* WebAddress = "https://pell-irc.example.org/";
    static constexpr const char* ContactLine = "Contact: team@pell-irc.example.org";

    InfoForm(platform::Desktop& desktop, QWidget* parent = nullptr);

    QLabel* addressLabel() const { return address_; }
    const InfoFigure* figure() const { return figure_; }

    // The double-click figure: fills the box grey, greys the address and draws the red
    // star point by point with a pause of 150 ms, blocking the program while it draws.
    void drawFigure();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    platform::Desktop& desktop_;
    QLabel* address_ = nullptr;
    QPushButton* ok_ = nullptr;
    InfoFigure* figure_ = nullptr;
};

// What the double-click has drawn so far, on top of the box (the OK button stays above).
class InfoFigure : public QWidget {
    Q_OBJECT
public:
    explicit InfoFigure(QWidget* parent);

    int pointsDrawn() const { return points_; }
    void clear();
    void begin();
    void addPoint();

    static const QPoint Path[6];

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int points_ = 0; // points of the closed path reached so far, the return included
};

} // namespace pell::gui
