#include "LabScheme.h"

#include <QUrlQuery>

namespace kelvo::labscheme {

namespace {

constexpr QStringView PageKey = u"page";

} // namespace

bool isLabUrl(const QUrl &url)
{
    return url.scheme() == Name && url.host() == Host;
}

QUrl pageUrl(quint64 generation)
{
    QUrl url;
    url.setScheme(Name);
    url.setHost(Host);
    url.setPath(QStringLiteral("/"));
    url.setQuery(PageKey.toString() + QLatin1Char('=') + QString::number(generation));
    return url;
}

std::optional<quint64> pageGeneration(const QUrl &url)
{
    if (!isLabUrl(url) || url.path() != u"/" || !url.hasQuery())
        return std::nullopt;
    const QUrlQuery query(url);
    const QList<std::pair<QString, QString>> items = query.queryItems();
    if (items.size() != 1 || items.first().first != PageKey)
        return std::nullopt;
    bool ok = false;
    const quint64 generation = items.first().second.toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return generation;
}

} // namespace kelvo::labscheme
