// Feeds arbitrary bytes to the batch language: every line is parsed on its
// own (word lookups and argument conversions included), then the whole text
// is run as a script through the interpreter, synchronously and without
// threads, each line "completed" at once, for a bounded number of lines.
#include "base/FileNameCodec.h"
#include "batch/BatchArgs.h"
#include "batch/BatchInterpreter.h"
#include "batch/BatchKeywords.h"
#include "batch/CmdLine.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

namespace {

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// Lines executed per input, and characters of arguments handed out: loops
// that never finish, or whose values grow their arguments, stop here.
constexpr int maxSteps = 2000;
constexpr qint64 maxArgumentChars = qint64(8) << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool init = [] {
        qInstallMessageHandler(dropMessages);
        BatchKeywords::init();
        return true;
    }();
    (void)init;

    // Decoded as the program reads a script file: bytes outside UTF-8 stay
    // in the text as lone surrogates and reach the interpreter.
    const QString text = FileNameCodec::utf8KeepingBytes()->toUnicode(reinterpret_cast<const char*>(data), int(size));
    const QStringList lines = text.split(QLatin1Char('\n'));

    qint64 sink = 0;
    for (const QString& line : lines) {
        const CmdLine c(line);
        sink += c.commandId() + c.directiveId() + c.args.size();
        sink += BatchArgs::toInt(c.arg(0)) + qint64(BatchArgs::toDouble(c.arg(1)) != 0.0)
            + BatchArgs::toFlag(c.arg(2));
    }

    BatchInterpreter interpreter;
    interpreter.start(lines);
    qint64 chars = 0;
    for (int step = 0; step < maxSteps && chars < maxArgumentChars; ++step) {
        const BatchInterpreter::Step s = interpreter.executeNextLine();
        sink += s.logs.size();
        for (const QString& a : s.cmd.args) {
            if (a.size() > BatchInterpreter::maxArgumentLength)
                __builtin_trap();   // substitution grew past its limit
            chars += a.size();
        }
        if (!s.sent)
            break;
        if (s.cmd.lineNo < 1 || s.cmd.lineNo > lines.size())
            __builtin_trap();   // a line number outside the script
    }
    // A second run starts where the first left the block comments.
    interpreter.start(lines);
    for (int step = 0; step < 100 && interpreter.executeNextLine().sent; ++step)
        ++sink;
    interpreter.stop();

    volatile qint64 keep = sink;
    (void)keep;
    return 0;
}
