#include "CountdownBar.h"

#include <QPainter>

#include <algorithm>

namespace vespern::ui {

CountdownBar::CountdownBar(int seconds, int trackWidth, QWidget* parent)
    : QProgressBar(parent)
    , trackWidth_(trackWidth)
    , barWidth_(trackWidth)
{
    setRange(0, seconds);
    setValue(seconds);
    setFormat(tr("%v seconds left"));
    setTextVisible(false);
    setAccessibleDescription(text());
}

void CountdownBar::SetBarWidth(int width)
{
    barWidth_ = std::clamp(width, 0, trackWidth_);
    // A second that has begun still counts as left.
    const int share = std::max(1, trackWidth_ / std::max(1, maximum()));
    const int seconds = (barWidth_ + share - 1) / share;
    if (seconds != value()) {
        setValue(seconds);
        setAccessibleDescription(text());
    }
    update();
}

void CountdownBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, trackWidth_, height()), Qt::black);
    painter.fillRect(QRect(0, 0, barWidth_, height()), Qt::red);
}

} // namespace vespern::ui
