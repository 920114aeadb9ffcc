#pragma once

#include "output/TextMapFormat.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// Reads a result map written as text back: "X Y Val" lines into points, or
// one line per grid row into rows of values. The format (separator and
// layout) is given, as the writer was told it. Any malformed line makes the
// whole read fail with a message naming the line.
namespace TextMapReader {

// Files larger than this are refused (a 2048 x 2048 map is about 60 MB).
constexpr qint64 maxBytes = qint64(1) << 30;
// Lines longer than this are refused.
constexpr int maxLineBytes = 64 << 20;

struct Point {
    int x = 0;
    int y = 0;
    double value = 0.0;
};

struct Map {
    // "X Y Val" layout.
    QVector<Point> points;
    // Row layout.
    QVector<QVector<double>> rows;
};

bool parse(const QByteArray& bytes, const TextMapFormat& format, Map* out, QString* error);
bool read(const QString& path, const TextMapFormat& format, Map* out, QString* error);

}
