// Feeds arbitrary bytes to the text map reader in all four layouts (comma or
// blank separated, "X Y Val" lines or rows of values).
#include "output/TextMapReader.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

namespace {

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool init = [] {
        qInstallMessageHandler(dropMessages);
        return true;
    }();
    (void)init;

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    double sink = 0.0;
    for (int layout = 0; layout < 4; ++layout) {
        TextMapFormat format;
        format.commaSeparated = (layout & 1) != 0;
        format.xyVal = (layout & 2) != 0;
        TextMapReader::Map map;
        QString error;
        if (TextMapReader::parse(bytes, format, &map, &error)) {
            for (const TextMapReader::Point& p : map.points)
                sink += p.x + p.y + p.value;
            for (const QVector<double>& row : map.rows)
                sink += row.size();
        } else if (error.isEmpty()) {
            __builtin_trap();   // a failure must say why
        }
    }
    volatile double keep = sink;
    (void)keep;
    return 0;
}
