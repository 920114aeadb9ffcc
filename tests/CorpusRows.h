#pragma once

#include <QDir>
#include <QString>
#include <QtTest>

// One data row per file of a fuzz corpus folder, named by the file, in a
// "file" column. A folder with fewer than `atLeast` files fails the test, so
// that a moved or emptied corpus does not pass quietly.
inline void addCorpusRows(const QString& path, int atLeast)
{
    QTest::addColumn<QString>("file");
    const QDir dir(path);
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY2(names.size() >= atLeast, qPrintable(path));
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}
