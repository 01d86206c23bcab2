#pragma once

#include <QJsonObject>
#include <QStringList>

class TLabWork;
class TChapter;

namespace kelvo {

// The loaded lab work as the command line's --dump prints it; keys are the model's field names.
QJsonObject labWorkToJson(const TLabWork &labWork);
QJsonObject chapterToJson(const TLabWork &labWork, int index);

} // namespace kelvo
