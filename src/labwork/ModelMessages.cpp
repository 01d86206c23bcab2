#include "ModelMessages.h"

#include "Localization.h"
#include "TextFormat.h"

#include <cstdio>

namespace kelvo {

namespace {

void printOnStandardError(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

ActivationErrorHandler &activationErrorHandler()
{
    static ActivationErrorHandler handler;
    return handler;
}

ValueTextErrorHandler &valueTextErrorHandler()
{
    static ValueTextErrorHandler handler;
    return handler;
}

} // namespace

ActivationErrorHandler setActivationErrorHandler(ActivationErrorHandler handler)
{
    return std::exchange(activationErrorHandler(), std::move(handler));
}

void reportActivationError(const QString &text)
{
    if (const ActivationErrorHandler &handler = activationErrorHandler())
        handler(text);
    else
        printOnStandardError(text);
}

ValueTextErrorHandler setValueTextErrorHandler(ValueTextErrorHandler handler)
{
    return std::exchange(valueTextErrorHandler(), std::move(handler));
}

void reportValueTextError(const ValueTextError &error)
{
    if (const ValueTextErrorHandler &handler = valueTextErrorHandler())
        handler(error);
    else
        printOnStandardError(describeValueTextError(error));
}

QString describeValueTextError(const ValueTextError &error)
{
    return format(Texts::ValueTextError, { error.chapter, error.device, error.text, error.reason });
}

} // namespace kelvo
