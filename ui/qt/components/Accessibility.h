#pragma once

#include <QAccessible>

class QWidget;

namespace vespern::ui {

// What assistive technology (screen readers, voice control) is told about the program's own
// widgets beyond what Qt tells by itself:
// - a window or panel can be given the role it plays (the main window a frame, the confirmation
//   dialog an alert); Qt exposes a plain top-level widget as a filler;
// - widgets that only decorate (the banner picture, rules, the bars behind a countdown) are left
//   out of the tree, so a reader walking it meets only what carries information;
// - link labels are links that can be pressed.
// Installed once; every window calls it before it builds its widgets.
void InstallAccessibility();

// Exposes the widget with the given role. Call it in the widget's constructor, before anything
// asks for its interface.
void SetAccessibleRole(QWidget* widget, QAccessible::Role role);

// Leaves the widget out of the accessibility tree. Only the children of widgets given a role by
// SetAccessibleRole (windows and panels) are left out this way.
void MarkDecorative(QWidget* widget);

} // namespace vespern::ui
