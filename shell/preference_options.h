// The preferences as the game field and the chooser take them, and what the
// chooser leaves behind taken back into them.
#pragma once

#include "chooser/chooser_options.h"
#include "shell/preferences.h"
#include "view/field_options.h"

namespace cw {

FieldOptions FieldOptionsFrom(const Preferences& preferences);

ChooserOptions ChooserOptionsFrom(const Preferences& preferences);
void StoreChooserOptions(const ChooserOptions& options, Preferences& preferences);

}  // namespace cw
