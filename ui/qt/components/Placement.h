#pragma once

class QWidget;

namespace vespern::ui {

// Places a dialog centred on the window that owns it, or on its screen while the owner is hidden.
void CentreOnOwner(QWidget* dialog);

} // namespace vespern::ui
