#pragma once

#include <QString>

class TLabWork;

namespace kelvo::check {

class CheckContext;

// Checks the descriptor: its header, every chapter section (type, keys, values) and the files
// each chapter names, through the checks of its kind.
void checkDescriptor(CheckContext &context, const TLabWork &labWork, const QString &shown);

} // namespace kelvo::check
