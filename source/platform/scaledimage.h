#pragma once

#include "platform/image.h"

namespace platform {

// `source` at `width` x `height`, each pixel the mean of the source area it
// covers: a source pixel counts by how much of it lies inside, and colour is
// averaged with its alpha, so a transparent pixel lends none. Empty when
// either size is not positive or the source's pixels do not fill its size.
Image ScaledImage(const Image& source, int width, int height);

}  // namespace platform
