#pragma once

#include "CheckContext.h"

#include <QList>
#include <QString>

#include <optional>

namespace kelvo {

// The entries of a package as stored, for the checker: the regular files, each with the name the
// flat unpacking writes it under, in archive order. Nothing when the file is no readable ZIP archive.
std::optional<QList<check::PackageEntry>> listPackageEntries(const QString &path);

} // namespace kelvo
