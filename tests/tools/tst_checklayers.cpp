// tools/check-layers on small planted trees: a clean tree passes, and every
// kind of upward include fails, naming the file and the line.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

class TestCheckLayers : public QObject
{
    Q_OBJECT
private slots:
    void includes_data();
    void includes();
};

void TestCheckLayers::includes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("include");
    // Empty: the check passes; else the text its report must hold.
    QTest::addColumn<QString>("report");

    QTest::newRow("core topic includes a lower topic") << "core/grid/ScanGrid.h" << "base/Log.h" << "";
    QTest::newRow("core topic includes its own topic") << "core/grid/ScanGrid.cpp" << "grid/ScanGrid.h" << "";
    QTest::newRow("gui includes core") << "gui/imageview/DispA.cpp" << "grid/ScanGrid.h" << "";
    QTest::newRow("app includes gui and core") << "app/Body.cpp" << "imageview/DispA.h" << "";
    QTest::newRow("header beside the file") << "core/base/Log.cpp" << "Log.h" << "";
    QTest::newRow("system or Qt header") << "core/base/Log.cpp" << "QtCore/QString" << "";
    QTest::newRow("grid includes processing")
        << "core/grid/ScanGrid.h" << "processing/BlockSum.h"
        << "src/core/grid/ScanGrid.h:2: includes \"processing/BlockSum.h\" (core topic processing) from core topic grid";
    QTest::newRow("base includes plot")
        << "core/base/Log.cpp" << "plot/ChCoord.h" << "src/core/base/Log.cpp:2:";
    QTest::newRow("core includes gui")
        << "core/io/TiffData.cpp" << "imageview/DispA.h" << "(gui) from core topic io";
    QTest::newRow("core includes app") << "core/batch/CmdLine.cpp" << "Body.h" << "(app) from core topic batch";
    QTest::newRow("gui includes app") << "gui/imageview/DispA.cpp" << "Body.h" << "(app) from gui";
    QTest::newRow("core includes a form") << "core/io/TiffData.cpp" << "ui_Body.h" << "forms belong to the gui";
}

void TestCheckLayers::includes()
{
    QFETCH(QString, file);
    QFETCH(QString, include);
    QFETCH(QString, report);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    // The headers the rows name, each in its place.
    for (const char* h : {"core/base/Log.h", "core/grid/ScanGrid.h", "core/processing/BlockSum.h",
                          "core/plot/ChCoord.h", "core/io/TiffData.h", "core/batch/CmdLine.h",
                          "gui/imageview/DispA.h", "app/Body.h"})
        writeFile(root.filePath(QStringLiteral("src/") + QLatin1String(h)), "#pragma once\n");
    writeFile(root.filePath(QStringLiteral("src/") + file),
              QByteArray("// planted\n#include \"") + include.toUtf8() + "\"\n");

    QProcess check;
    check.start(QStringLiteral("python3"), {QStringLiteral(CHECK_LAYERS), QStringLiteral("--root"), root.path()});
    QVERIFY(check.waitForFinished(30000));
    const QString out = QString::fromUtf8(check.readAllStandardOutput());
    if (report.isEmpty()) {
        QCOMPARE(check.exitCode(), 0);
        QVERIFY2(out.isEmpty(), qPrintable(out));
    } else {
        QCOMPARE(check.exitCode(), 1);
        QVERIFY2(out.contains(report), qPrintable(out));
    }
}

QTEST_GUILESS_MAIN(TestCheckLayers)
#include "tst_checklayers.moc"
