#pragma once

// How a result map is laid out as text: the separator ("," or " ") and the
// layout ("X Y Val" one point per line, or the values of each grid row on
// one line).
struct TextMapFormat {
    bool commaSeparated = true;
    bool xyVal = true;

    char separator() const { return commaSeparated ? ',' : ' '; }
};
