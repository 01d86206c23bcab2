#pragma once

#include <QString>

// Every "RAND()" of a text (exact, case-sensitive), from left to right, becomes the text of its
// own fresh RandomReal in the general number format of the default locale.
QString ReplaceRand(const QString &text);
