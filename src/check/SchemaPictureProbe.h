#pragma once

#include "CheckContext.h"

namespace kelvo {

// Decodes a schema picture for the checker as the experiment page would: its size, or the error
// text the page would show (unknown extension, unreadable or too large picture).
check::PictureProbeResult probeSchemaPicture(const QString &path, const QString &name);

} // namespace kelvo
