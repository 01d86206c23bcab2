#pragma once

#include <QString>

class TLabWork;

namespace kelvo::check {

class CheckContext;

// Checks how the chapters refer to one another: required identifiers that no chapter carries,
// chapters that can never be opened (they require an experiment, which is never passed, or
// require one another in a circle), identifiers that several chapters share where that matters,
// and experiments whose linked chapter does not exist.
void checkRequirements(CheckContext &context, const TLabWork &labWork, const QString &shown);

} // namespace kelvo::check
