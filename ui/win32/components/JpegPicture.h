#pragma once

#include "Picture.h"

namespace vespern::ui {

// The JPEG picture of the RCDATA resource id, decoded by the system's picture loader
// (OleLoadPicture); empty when it does not decode.
Picture JpegPicture(int id);

} // namespace vespern::ui
