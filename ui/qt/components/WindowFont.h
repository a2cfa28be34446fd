#pragma once

#include <QFont>
#include <QString>

class QAbstractButton;

namespace vespern::ui {

// The face of every window. The layouts were drawn for Tahoma; where it is missing, one face of
// about its width and of normal proportions (never a condensed one, whose letters run together
// at this size) stands in for every face the windows name. Chosen once per run.
const QString& WindowFontFamily();

// The windows' font: their face at the given size in points (Tahoma 8 is the windows' own).
QFont WindowFont(int pointSize = 8);

// The face for a font a window names ("Tahoma", "Arial"): that face when the windows' own face is
// installed and so is this one, the windows' face otherwise.
QString WindowFontFamilyFor(const QString& family);

// Widens a check box or radio button whose caption the face makes longer than the layout
// allows, as far as its parent leaves room; where the caption fits, the width stays.
void FitCaption(QAbstractButton* button);

} // namespace vespern::ui
