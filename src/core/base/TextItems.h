#pragma once

#include <QString>

// Takes the first blank-separated item of `line` into `item` and returns the
// rest of the line. An item may be enclosed in double quotes to hold blanks;
// there is no escape character.
QString nextItem(const QString& line, QString& item);
