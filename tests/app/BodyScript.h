#pragma once

// Runs batch scripts through a real main window: the script goes into the
// batch window, the dispatcher walks it in its thread, and the test waits for
// the end of the run, counting the completions the main window passed on.

#include "batch/BatchDispatcher.h"
#include "batchwindow/BatchCtrl.h"
#include "Body.h"
#include "output/TiffWriter.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTextStream>
#include <QtTest>
#include <cmath>
#include <vector>

namespace BodyScript {

// What a run of a script did.
struct Outcome {
    bool ended = false;
    bool stopped = false;
    QString failure;     // "Line N: ..." of a failed line
    int completions = 0; // completions passed on to the dispatcher
    int finishing = 0;   // finishing() emitted (quit)
};

// Runs `script` (lines separated by "\n") in `body`; returns when the run has
// ended or "quit" has been executed (or after `timeoutMs`).
inline Outcome run(Body& body, const QString& script, int timeoutMs = 60000)
{
    Outcome out;
    QSignalSpy completions(&body, &Body::batchLineFinished);
    QSignalSpy finishing(&body, &Body::finishing);
    const QMetaObject::Connection ended =
        QObject::connect(body.batchDispatcher(), &BatchDispatcher::runEnded, &body, [&out](bool stopped) {
            out.ended = true;
            out.stopped = stopped;
        });
    const QMetaObject::Connection failed = QObject::connect(
        body.batchDispatcher(), &BatchDispatcher::runFailed, &body, [&out](const QString& m) { out.failure = m; });
    body.batchCtrl()->findChild<QPlainTextEdit*>(QStringLiteral("BatchCmds"))->setPlainText(script);
    body.batchCtrl()->execCmdsSlot();
    if (!QTest::qWaitFor([&] { return out.ended || finishing.count() > 0; }, timeoutMs))
        out.failure = QStringLiteral("the run did not end");
    QObject::disconnect(ended);
    QObject::disconnect(failed);
    out.completions = completions.count();
    out.finishing = finishing.count();
    return out;
}

// A stack of n images w x h named "<kind>_<E>eV.tif" in dir, E = 7080 + 5 k,
// with an absorption edge at 7110 eV deeper towards the right.
inline QStringList writeStack(const QString& dir, const QString& kind, int n, int w, int h, double scale)
{
    QDir().mkpath(dir);
    QStringList files;
    for (int k = 0; k < n; ++k) {
        const double e = 7080.0 + 5.0 * k;
        std::vector<quint16> px(std::size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double edge = e > 7110.0 ? 0.4 + 0.02 * x : 0.05 * (e - 7080.0) / 30.0;
                px[std::size_t(y) * w + x] = quint16(scale * std::exp(-edge) + 3 * y + x);
            }
        const QString path = dir + QString("/%1_%2eV.tif").arg(kind).arg(e, 0, 'f', 2);
        if (writeTiff16(path, px.data(), w, h))
            files << path;
    }
    return files;
}

// A two-column spectrum with an edge at `edge` eV.
inline bool writeSpectrum(const QString& path, double edge)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&f);
    for (double e = 6900.0; e <= 7400.0; e += 1.0)
        out << e << ' ' << 0.2 * std::pow(7000.0 / e, 3) + 0.5 + std::atan((e - edge) / 2.0) / M_PI << '\n';
    return true;
}

}
