#pragma once

#include "Picture.h"

namespace vespern::ui {

// The PNG picture of the RCDATA resource id, decoded by the system's imaging codecs into a 32-bit
// bitmap with premultiplied alpha (what menus and AlphaBlend draw); empty when it does not decode.
Picture PngPicture(int id);

} // namespace vespern::ui
