#pragma once

#include <QFrame>

namespace vespern::ui {

// A panel: a container that shows its caption centred, like the panels of the window layouts.
// Exposed to assistive technology as a panel named by its caption (a filler without one), and
// its decorative children are left out (see MarkDecorative).
class Panel final : public QFrame {
    Q_OBJECT
public:
    explicit Panel(QWidget* parent);

    void SetCaption(const QString& caption);
    const QString& Caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

} // namespace vespern::ui
