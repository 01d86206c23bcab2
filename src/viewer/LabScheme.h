#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The URL scheme that the HTML viewer serves lab documents through: lab://lab/<name> is the
// file <name> of the lab folder, lab://lab/?page=<n> the document held in memory. The page sits
// at the root, so the relative references of a document resolve against the lab folder.
namespace kelvo::labscheme {

inline const QString Name = QStringLiteral("lab");
inline const QString Host = QStringLiteral("lab");

bool isLabUrl(const QUrl &url);

QUrl pageUrl(quint64 generation);

// The generation of a page URL, nothing for any other URL.
std::optional<quint64> pageGeneration(const QUrl &url);

} // namespace kelvo::labscheme
