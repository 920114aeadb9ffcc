#pragma once

#include <QString>

// Takes the first blank-separated item of `line` into `item` and returns the
// rest of the line. An item may be enclosed in double quotes to hold blanks;
// there is no escape character.
QString nextItem(const QString& line, QString& item);

// `text` with every control character but TAB written as \xNN (a NUL as
// \0), for messages that end on a terminal: a NUL byte would cut the line
// short there, an escape sequence could rewrite the screen.
QString printable(const QString& text);
