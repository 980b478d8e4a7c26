#pragma once

#include "platform/image/Image.h"

namespace plimsa {

/// The tray icon: a swing seen from the front, two dashed chains over a rounded seat, in black on
/// transparent (only the alpha counts; the tray tints it). 18 x 18 points at `pixelsPerPoint` pixels per
/// point. Any thread.
Image menuBarIcon(int pixelsPerPoint = 1);

}  // namespace plimsa
