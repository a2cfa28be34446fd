#pragma once

#include "platform/Registry.h"

namespace vespern {

class TForm2Model;

// The persisted options: eight string values under HKEY_CLASSES_ROOT\vespern\setting, flags
// as "1" and "0". The options dialog's controls are the only copy in memory.
inline constexpr char SettingsKeyPath[] = "\\vespern\\setting";

// Sets the dialog's controls from the store; a value of another type than text stops the load
// with an error, and what was set before it stays set.
void LoadSettingsStore(Registry& platform, TForm2Model& options);
// Writes the store from the dialog's controls; stops at the first write that fails.
void SaveSettingsStore(Registry& platform, const TForm2Model& options);

} // namespace vespern
