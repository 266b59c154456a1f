// What a window DC kept between paints must reach: the renderer and the steady painter both keep
// one, and both let it go by the same test.
#pragma once

#include <windows.h>

#include "render/caption_geometry.h"

namespace lum {

// Whether a window DC reaches the whole caption: one taken while another window covered part
// of it would keep that part unpainted, so it is not kept.
bool ReachesWholeCaption(HDC windowDC, const CaptionRect& rect);

}  // namespace lum
