#pragma once

#include <QString>

#include <optional>

namespace kelvo {

// The SHA-256 of a regular file's contents as 64 lower-case hexadecimal digits; nothing when the
// file cannot be opened or read to its end. The path is given as decodeLocalFileName gives it, so
// that a file whose name is not UTF-8 is read too.
std::optional<QString> fileSha256(const QString &path);

} // namespace kelvo
