#pragma once

#include <QWidget>

namespace vespern::ui {

// The About box.
class TForm5 final : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget* mainWindow);
};

} // namespace vespern::ui
