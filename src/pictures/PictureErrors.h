#pragma once

#include "RuntimeErrors.h"

#include <exception>

// A picture file that exists but cannot be shown: unknown extension, broken or hostile data.
class EInvalidGraphic final : public ERuntimeError
{
public:
    using ERuntimeError::ERuntimeError;
};

namespace kelvo::pictures {

// Raised inside the metafile player when the data contradicts itself; the loader turns it into
// an EInvalidGraphic that names the file.
class MetafileFault final : public std::exception
{
public:
    const char *what() const noexcept override { return "invalid metafile data"; }
};

[[noreturn]] inline void fail()
{
    throw MetafileFault();
}

} // namespace kelvo::pictures
