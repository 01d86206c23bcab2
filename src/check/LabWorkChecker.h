#pragma once

#include "CheckContext.h"
#include "CheckReport.h"

class TLabWork;

namespace kelvo::check {

// Checks a loaded lab work for what the player would silently do with it: chapters left out,
// keys no one reads, values that fall back to defaults, files that are missing or will not work,
// question files that break or can never be answered, schemas whose parts do not fit together.
CheckReport checkLabWork(const TLabWork &labWork, const CheckSetup &setup);

} // namespace kelvo::check
