#pragma once

#include <QLabel>

#include <functional>

namespace vespern::ui {

// A text link: reached with Tab, opened with a click, Enter or Space, and exposed to assistive
// technology as a link. Reports the pointer's moves and leaving, for a hover effect.
class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent);

    // Opens the link, as a click does.
    void activate();

    std::function<void()> onMove;
    std::function<void()> onLeave;
    std::function<void()> onClick;

protected:
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vespern::ui
