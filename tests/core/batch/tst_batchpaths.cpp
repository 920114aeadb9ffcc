#include "batch/BatchKeywords.h"
#include "batch/BatchPaths.h"

#include <QtTest>

// Relative names in a script are read against the script's folder; the rule
// must reach exactly the file arguments of each word and nothing else.
class TestBatchPaths : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { BatchKeywords::init(); }

    void resolve_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("relative file") << "/data/run" << "refs/fe2.dat" << "/data/run/refs/fe2.dat";
        QTest::newRow("folder keeps its separator") << "/data/run" << "i0/" << "/data/run/i0/";
        QTest::newRow("folder with separator") << "/data/run/" << "a.tif" << "/data/run/a.tif";
        QTest::newRow("parent folder") << "/data/run" << "../b.tif" << "/data/run/../b.tif";
        QTest::newRow("absolute unchanged") << "/data/run" << "/elsewhere/a.tif" << "/elsewhere/a.tif";
        QTest::newRow("empty name clears") << "/data/run" << "" << "";
        QTest::newRow("no script folder") << "" << "i0/" << "i0/";
    }
    void resolve()
    {
        QFETCH(QString, folder);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(BatchPaths::resolve(folder, path), expected);
    }

    void resolvedLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("load: mode word stays") << "load_I1_files NEW a.tif /abs/b.tif"
                                               << "NEW|/s/a.tif|/abs/b.tif";
        QTest::newRow("pattern: folder only") << "load_I0_files_of_pattern add i0/ i0_*eV.tif"
                                              << "add|/s/i0/|i0_*eV.tif";
        QTest::newRow("reference row: file only") << "analyzer_set_LCF_std 1 1 0.5 refs/fe2.dat 0"
                                                  << "1|1|0.5|/s/refs/fe2.dat|0";
        QTest::newRow("save with number") << "save_image_w_num out/img 3" << "/s/out/img|3";
        QTest::newRow("standard") << "calib_load_std std/foil.dat" << "/s/std/foil.dat";
        QTest::newRow("energy map") << "calib_save_map results/shift.emp" << "/s/results/shift.emp";
        QTest::newRow("spectra") << "save_spectra sp.dat" << "/s/sp.dat";
        QTest::newRow("energy reference") << "eng_by_ref_i1 angles.txt" << "/s/angles.txt";
        QTest::newRow("empty reference") << "eng_by_ref_i1" << "";
        QTest::newRow("pattern word is no file") << "eng_by_name_reg_exp_i1 x/y" << "x/y";
        QTest::newRow("HDF5 scan: file only") << "load_hdf5_scan scan.h5 img_xanes - - X_eng keV"
                                              << "/s/scan.h5|img_xanes|-|-|X_eng|keV";
        QTest::newRow("dark image files") << "load_dark d1.tif d2.tif" << "/s/d1.tif|/s/d2.tif";
        QTest::newRow("all maps file") << "save_all_maps_hdf5 out/maps.h5" << "/s/out/maps.h5";
        QTest::newRow("edge maps base") << "edge_maps 30 out/edge" << "30|/s/out/edge";
        QTest::newRow("clusters base") << "kmeans_run 3 1 out/k" << "3|1|/s/out/k";
        QTest::newRow("cluster as reference") << "cluster_as_reference 1 2 ref.dat" << "1|2|/s/ref.dat";
        QTest::newRow("numbers untouched") << "move_position 12 7" << "12|7";
        QTest::newRow("directive untouched") << ":echo a/b" << "a/b";
        QTest::newRow("unknown word untouched") << "no_such_word a/b" << "a/b";
    }
    void resolvedLines()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        const CmdLine cmd(line);
        const CmdLine out = BatchPaths::resolved(cmd, QStringLiteral("/s"));
        QCOMPARE(out.args.join('|'), expected);
        QCOMPARE(out.cmd, cmd.cmd);
        QCOMPARE(out.text, cmd.text);
        // Without a script folder every line is left as written.
        QCOMPARE(BatchPaths::resolved(cmd, QString()).args, cmd.args);
    }
};

QTEST_GUILESS_MAIN(TestBatchPaths)
#include "tst_batchpaths.moc"
