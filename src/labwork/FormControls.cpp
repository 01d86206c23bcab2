#include "FormControls.h"

namespace kelvo {

namespace {

QString attributeValue(const HtmlToken &tag, QStringView name)
{
    const HtmlAttribute *attribute = tag.attribute(name);
    return attribute ? attribute->value : QString();
}

bool isTypedKind(const QString &kind)
{
    return kind != u"radio" && kind != u"checkbox" && kind != u"hidden" && kind != u"submit" && kind != u"button";
}

} // namespace

QList<FormControl> formControls(const QList<HtmlToken> &tokens)
{
    QList<FormControl> controls;
    qsizetype openSelect = -1; // index in `controls` of the selection list being read
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const HtmlToken &token = tokens[i];
        if (token.kind == HtmlToken::Kind::EndTag && token.name == u"select") {
            openSelect = -1;
            continue;
        }
        if (token.kind != HtmlToken::Kind::StartTag)
            continue;
        if (token.name == u"option" && openSelect >= 0) {
            QString value;
            if (const HtmlAttribute *attribute = token.attribute(u"value")) {
                value = attribute->value;
            } else if (i + 1 < tokens.size() && tokens[i + 1].kind == HtmlToken::Kind::Text
                && tokens[i + 1].name.isEmpty()) {
                value = decodeCharacterReferences(tokens[i + 1].text).simplified();
            }
            controls[openSelect].values.append(value);
            continue;
        }
        const QString name = attributeValue(token, u"name");
        if (token.name == u"select") {
            openSelect = name.isEmpty() ? -1 : controls.size();
            if (!name.isEmpty())
                controls.append({ name, QStringLiteral("select"), false, {}, token.line });
            continue;
        }
        if (name.isEmpty())
            continue;
        if (token.name == u"textarea") {
            controls.append({ name, QStringLiteral("textarea"), true, {}, token.line });
        } else if (token.name == u"button") {
            controls.append({ name, QStringLiteral("submit"), false, { attributeValue(token, u"value") }, token.line });
        } else if (token.name == u"input") {
            QString kind = attributeValue(token, u"type").trimmed().toLower();
            if (kind.isEmpty())
                kind = QStringLiteral("text");
            if (kind == u"reset" || kind == u"image" || kind == u"file")
                continue;
            const HtmlAttribute *value = token.attribute(u"value");
            if (isTypedKind(kind)) {
                controls.append({ name, kind, true, {}, token.line });
            } else {
                const bool box = kind == u"radio" || kind == u"checkbox";
                controls.append({ name, kind, false,
                    { value       ? value->value
                            : box ? QStringLiteral("on")
                                  : QString() },
                    token.line });
            }
        }
    }
    return controls;
}

} // namespace kelvo
