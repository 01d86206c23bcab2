#pragma once

#include "HtmlScan.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kelvo {

// A control of a question's form: what the viewer submits for it as name=value.
struct FormControl
{
    QString name;
    QString kind; // "radio", "checkbox", "select", "textarea", "hidden", "submit", "text"...
    bool anyValue = false; // the student types the value
    QStringList values; // the values it can submit, when the student does not type them
    int line = 0;
};

// The controls that submit something, in document order: inputs (not reset, image or file
// buttons), selection lists with their options, text areas and buttons, each with a name and
// not disabled (disabled options offer no value).
QList<FormControl> formControls(const QList<HtmlToken> &tokens);

} // namespace kelvo
