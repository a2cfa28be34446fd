#pragma once

#include <QProgressBar>

namespace vespern::ui {

// A countdown shown as a red bar over a black track, the bar's width being the time left. To
// assistive technology it is a progress indicator whose value and text are the seconds left.
class CountdownBar final : public QProgressBar {
    Q_OBJECT
public:
    // seconds: the whole countdown; trackWidth: the width that stands for all of it.
    CountdownBar(int seconds, int trackWidth, QWidget* parent);

    // Shows a bar of the given width, and the seconds that are left when each second takes an
    // equal share of the track.
    void SetBarWidth(int width);
    int BarWidth() const { return barWidth_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int trackWidth_;
    int barWidth_;
};

} // namespace vespern::ui
