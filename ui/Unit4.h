#pragma once

#include <QWidget>

namespace vespern::ui {

// The confirmation dialog.
class TForm4 final : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* mainWindow);
};

} // namespace vespern::ui
