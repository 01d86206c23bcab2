#include "FormControls.h"

#include <optional>

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

// What an option of a selection list submits: its value, else its text.
QString optionValue(const QList<HtmlToken> &tokens, qsizetype option)
{
    if (const HtmlAttribute *attribute = tokens[option].attribute(u"value"))
        return attribute->value;
    const qsizetype next = option + 1;
    if (next < tokens.size() && tokens[next].kind == HtmlToken::Kind::Text && tokens[next].name.isEmpty())
        return decodeCharacterReferences(tokens[next].text).simplified();
    return {};
}

// An input of that name: what it submits, or nothing for the kinds that submit nothing.
std::optional<FormControl> inputControl(const HtmlToken &input, const QString &name)
{
    QString kind = attributeValue(input, u"type").trimmed().toLower();
    if (kind.isEmpty())
        kind = QStringLiteral("text");
    if (kind == u"reset" || kind == u"image" || kind == u"file")
        return std::nullopt;
    if (isTypedKind(kind))
        return FormControl { name, kind, true, {}, input.line };
    const HtmlAttribute *value = input.attribute(u"value");
    const bool box = kind == u"radio" || kind == u"checkbox";
    const QString submitted = value ? value->value : box ? QStringLiteral("on") : QString();
    return FormControl { name, kind, false, { submitted }, input.line };
}

// A text area, button or input of that name (not empty).
std::optional<FormControl> namedControl(const HtmlToken &tag, const QString &name)
{
    if (tag.name == u"textarea")
        return FormControl { name, QStringLiteral("textarea"), true, {}, tag.line };
    if (tag.name == u"button")
        return FormControl { name, QStringLiteral("submit"), false, { attributeValue(tag, u"value") }, tag.line };
    if (tag.name == u"input")
        return inputControl(tag, name);
    return std::nullopt;
}

} // namespace

QList<FormControl> formControls(const QList<HtmlToken> &tokens)
{
    QList<FormControl> controls;
    qsizetype openSelect = -1; // index in `controls` of the selection list being read
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const HtmlToken &token = tokens[i];
        if (token.kind == HtmlToken::Kind::EndTag && token.name == u"select")
            openSelect = -1;
        if (token.kind != HtmlToken::Kind::StartTag)
            continue;
        // A disabled control or option is never submitted.
        const bool disabled = token.attribute(u"disabled") != nullptr;
        if (token.name == u"option") {
            if (openSelect >= 0 && !disabled)
                controls[openSelect].values.append(optionValue(tokens, i));
            continue;
        }
        const QString name = disabled ? QString() : attributeValue(token, u"name");
        if (token.name == u"select") {
            openSelect = name.isEmpty() ? -1 : controls.size();
            if (!name.isEmpty())
                controls.append({ name, QStringLiteral("select"), false, {}, token.line });
        } else if (!name.isEmpty()) {
            if (std::optional<FormControl> control = namedControl(token, name))
                controls.append(std::move(*control));
        }
    }
    return controls;
}

} // namespace kelvo
