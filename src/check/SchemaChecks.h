#pragma once

#include <QString>

class TIniFile;
class TExperimentChapter;

namespace kelvo::check {

class CheckContext;

// Checks an experiment chapter's schema file: its header, variants, devices and pictures, and the
// value texts the variants give the measurement devices.
void checkExperiment(CheckContext &context, const TIniFile &descriptor, const QString &descriptorShown,
    const TExperimentChapter &chapter);

} // namespace kelvo::check
