#include "batch/BatchArgReader.h"
#include "batch/BatchArgs.h"
#include "batch/BatchKeywords.h"
#include "batch/CmdLine.h"

#include <QtTest>

namespace {

// The command words with their ids, as the language defines them.
const char* const words[112] = {
    "clear_I1_files", "clear_I0_files", "set_i1_energy_pattern", "set_i0_energy_pattern", "load_I1_files",
    "load_I0_files", "load_I1_files_of_pattern", "load_I0_files_of_pattern", "cut_f_i0", "cut_f_i1", "cut_l_i0",
    "cut_l_i1", "skip_i0", "skip_i1", "show_latest_i0", "show_latest_i1", "eng_by_name_i0", "eng_by_name_i1",
    "eng_by_name_reg_exp_i0", "eng_by_name_reg_exp_i1", "eng_by_name_factor_i0", "eng_by_name_factor_i1",
    "eng_by_calc_i0", "eng_by_calc_i1", "eng_calc_base_i0", "eng_calc_base_i1", "eng_calc_delta_i0",
    "eng_calc_delta_i1", "eng_calc_end_i0", "eng_calc_end_i1", "eng_calc_num_i0", "eng_calc_num_i1",
    "eng_calc_even_in_eng_i0", "eng_calc_even_in_eng_i1", "eng_calc_even_in_deg_i0", "eng_calc_even_in_deg_i1",
    "eng_calc_disp_unit_i0", "eng_calc_disp_unit_i1", "eng_by_ref_i0", "eng_by_ref_i1", "set_fluo_type", "set_band_w",
    "set_band_h", "select_disp_image", "seek_image", "save_image", "save_image_w_num", "save_all_images", "save_data",
    "save_data_as_tiff", "move_position", "save_spectra", "select_region", "scale_reset", "zoom_in",
    "xafs_view_normalize", "xafs_view_enerugy_correction", "analyzer_show_window", "analyzer_set_LCF_std",
    "analyzer_set_LCF_mode", "analyzer_exec_LCF", "analyzer_select_image", "analyzer_select_image_type",
    "analyzer_set_ra_energy", "analyzer_set_ra_factor", "analyzer_exec_ra", "analyzer_set_fixed_scale",
    "analyzer_set_scale_max", "analyzer_set_scale_min", "analyzer_set_dMut_scale_max", "analyzer_set_dMut_scale_min",
    "analyzer_set_ratio_scale_max", "analyzer_set_ratio_scale_min", "analyzer_view_normalize",
    "analyzer_view_enerugy_correction", "analyzer_target_elements", "analyzer_select_analysis_mode",
    "analyzer_elems_select_target", "analyzer_elems_select_show", "analyzer_elems_set_deVs",
    "analyzer_elems_set_corr_th", "analyzer_elems_select_disp_mode", "analyzer_elems_set_use",
    "analyzer_elems_sort_by_an", "analyzer_elems_roi", "analyzer_elems_thdmut", "analyzer_elems_no_neg",
    "analyzer_elems_bg_dMut", "analyzer_elems_bg_dMutR", "analyzer_elems_bg_dE", "analyzer_elems_bg_ROI",
    "analyzer_elems_bg_NROI", "analyzer_exec_elems", "calib_show_window", "calib_load_std", "calib_set_edge_eV",
    "calib_exec", "calib_load_map", "calib_clear_map", "calib_save_map", "saveDataCfg_show_window",
    "saveDataCfg_save_as_tiff", "saveDataCfg_save_as_text", "saveDataCfg_tiff_fix_scale",
    "saveDataCfg_tiff_scale_min", "saveDataCfg_tiff_scale_max", "saveDataCfg_tiff_as_analyzed",
    "saveDataCfg_text_as_csv", "saveDataCfg_text_as_ssv", "saveDataCfg_text_as_xyz", "saveDataCfg_text_as_vals",
    "quit"};

QString flipCase(const QString& s)
{
    QString out = s;
    for (QChar& c : out)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    return out;
}

} // namespace

class TestBatchWords : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { BatchKeywords::init(); }

    // Every command word is found whatever its case; anything else is 112.
    void commandWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("id");
        for (int id = 0; id < 112; ++id) {
            const QString w = QString::fromLatin1(words[id]);
            QTest::newRow(qPrintable(w)) << w << id;
            QTest::newRow(qPrintable(w + " upper")) << w.toUpper() << id;
            QTest::newRow(qPrintable(w + " lower")) << w.toLower() << id;
            QTest::newRow(qPrintable(w + " flipped")) << flipCase(w) << id;
        }
        QTest::newRow("unknown") << "seek_images" << 112;
        QTest::newRow("empty") << "" << 112;
        QTest::newRow("directive is no command") << ":for" << 112;
        QTest::newRow("prefix") << "seek" << 112;
    }
    void commandWords()
    {
        QFETCH(QString, word);
        QFETCH(int, id);
        QCOMPARE(BatchKeywords::commandId(word), id);
        CmdLine line(word + " 1");
        QCOMPARE(line.commandId(), word.isEmpty() ? 112 : id);
        QCOMPARE(line.isCommand(), id != 112 && !word.isEmpty());
    }

    // The table is in id order and holds no word twice, in any case.
    void tableHoldsEveryWordOnce()
    {
        const auto& table = BatchKeywords::commandTable();
        QCOMPARE(int(table.size()), 112);
        QSet<QString> seen;
        for (int i = 0; i < 112; ++i) {
            QCOMPARE(table[std::size_t(i)].id, i);
            QCOMPARE(QString::fromLatin1(table[std::size_t(i)].word), QString::fromLatin1(words[i]));
            seen.insert(QString::fromLatin1(table[std::size_t(i)].word).toUpper());
        }
        QCOMPARE(seen.size(), 112);
        QCOMPARE(int(BatchKeywords::directiveTable().size()), 6);
    }

    // Directives need their colon and are found whatever their case; 6 is "none".
    void directives_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("id");
        const QList<QPair<const char*, int>> rows{
            {":for", 0}, {":FOR", 0}, {":next", 1}, {":Next", 1}, {":echo", 2}, {":rem_start", 3},
            {":REM_START", 3}, {":rem_end", 4}, {":end", 5}, {":END", 5}, {"for", 6}, {"quit", 6}, {":ending", 6}};
        for (const auto& r : rows)
            QTest::newRow(r.first) << QString::fromLatin1(r.first) << r.second;
    }
    void directives()
    {
        QFETCH(QString, word);
        QFETCH(int, id);
        QCOMPARE(BatchKeywords::directiveId(word), id);
        const CmdLine line(word);
        QCOMPARE(line.directiveId(), id);
        QCOMPARE(line.isDirective(), id != 6);
    }

    // Integers, numbers and flags as the language reads them.
    void conversions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("x");
        QTest::addColumn<bool>("flag");
        QTest::newRow("integer") << "3" << 3 << 3.0 << false;
        QTest::newRow("one") << "1" << 1 << 1.0 << true;
        QTest::newRow("plus one") << "+1" << 1 << 1.0 << true;
        QTest::newRow("01") << "01" << 1 << 1.0 << true;
        QTest::newRow("2.5") << "2.5" << 0 << 2.5 << false;
        QTest::newRow("3.5 band") << "3.5" << 0 << 3.5 << false;
        QTest::newRow("1.0 is no flag") << "1.0" << 0 << 1.0 << false;
        QTest::newRow("negative") << "-7" << -7 << -7.0 << false;
        QTest::newRow("missing") << "" << 0 << 0.0 << false;
        QTest::newRow("word") << "on" << 0 << 0.0 << false;
        QTest::newRow("hex is no integer") << "0x10" << 0 << 0.0 << false;
        QTest::newRow("exponent") << "1e3" << 0 << 1000.0 << false;
        QTest::newRow("too large") << "99999999999" << 0 << 99999999999.0 << false;
        QTest::newRow("nan") << "nan" << 0 << 0.0 << false;
        QTest::newRow("inf") << "inf" << 0 << 0.0 << false;
        QTest::newRow("comma decimal") << "2,5" << 0 << 0.0 << false;
    }
    void conversions()
    {
        QFETCH(QString, text);
        QFETCH(int, n);
        QFETCH(double, x);
        QFETCH(bool, flag);
        QCOMPARE(BatchArgs::toInt(text), n);
        QCOMPARE(BatchArgs::toDouble(text), x);
        QCOMPARE(BatchArgs::toFlag(text), flag);
    }

    // Numbers written back into fields: integers plain, the rest in %g style.
    void fieldText()
    {
        QCOMPARE(BatchArgs::fieldText(12), QString("12"));
        QCOMPARE(BatchArgs::fieldText(12.0), QString("12"));
        QCOMPARE(BatchArgs::fieldText(0.1234567), QString("0.123457"));
        QCOMPARE(BatchArgs::fieldText(1234567.0), QString("1.23457e+06"));
        QCOMPARE(BatchArgs::fieldText(-2.5e-7), QString("-2.5e-07"));
    }

    // Splitting a line into its text, word and arguments; a parse forgets the old line.
    void parse_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("empty") << "" << "" << "" << QStringList();
        QTest::newRow("comment only") << "# note" << "" << "" << QStringList();
        QTest::newRow("blanks") << "   " << "   " << "" << QStringList();
        // Items come from the uncut line: the comment becomes the word, which is
        // no command, so the line is still reported with its blanks.
        QTest::newRow("blanks and comment") << "  # x" << "  " << "#" << QStringList{"x"};
        QTest::newRow("command") << "seek_image 3" << "seek_image 3" << "seek_image" << QStringList{"3"};
        QTest::newRow("trailing comment") << "seek_image 3 # go" << "seek_image 3 " << "seek_image"
                                          << QStringList{"3", "#", "go"};
        QTest::newRow("tabs and runs") << "\tsave_data \t a.tif   " << "\tsave_data \t a.tif   "
                                       << "save_data" << QStringList{"a.tif"};
        QTest::newRow("quoted") << "save_image \"my dir/a b.png\" x" << "save_image \"my dir/a b.png\" x"
                                << "save_image" << QStringList{"my dir/a b.png", "x"};
        QTest::newRow("empty quotes dropped") << "cmd \"\" a" << "cmd \"\" a" << "cmd" << QStringList{"a"};
        QTest::newRow("open quote") << "cmd \"a b" << "cmd \"a b" << "cmd" << QStringList{"a b"};
        QTest::newRow("hash inside quotes cuts text") << "cmd \"a#b\"" << "cmd \"a" << "cmd"
                                                      << QStringList{"a#b"};
        QTest::newRow("quoted command") << "\"seek_image\" 2" << "\"seek_image\" 2" << "seek_image"
                                        << QStringList{"2"};
    }
    void parse()
    {
        QFETCH(QString, line);
        QFETCH(QString, text);
        QFETCH(QString, cmd);
        QFETCH(QStringList, args);
        CmdLine c;
        c.lineNo = 9;
        c.args << "stale";
        c.parse(line);
        QCOMPARE(c.line, line);
        QCOMPARE(c.text, text);
        QCOMPARE(c.cmd, cmd);
        QCOMPARE(c.args, args);
        QCOMPARE(c.lineNo, 0);
    }

    // An argument past the end (or before the start) is empty.
    void argOutOfRange()
    {
        const CmdLine c("seek_image 3 # go");
        QCOMPARE(c.arg(0), QString("3"));
        QCOMPARE(c.arg(2), QString("go"));
        QCOMPARE(c.arg(3), QString());
        QCOMPARE(c.arg(-1), QString());
        QCOMPARE(BatchArgs::toInt(c.arg(5)), 0);
    }

    // The extra words are found whatever their case and stay outside the 112.
    void extraWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("extra");
        const QList<QPair<const char*, int>> rows{
            {"align_series", BatchKeywords::AlignSeries}, {"ALIGN_SERIES", BatchKeywords::AlignSeries},
            {"calib_set_rule", BatchKeywords::CalibSetRule}, {"Calib_Set_Rule", BatchKeywords::CalibSetRule},
            {"calib_exec", BatchKeywords::NoExtraCommand}, {"align", BatchKeywords::NoExtraCommand},
            {":for", BatchKeywords::NoExtraCommand}};
        for (const auto& r : rows)
            QTest::newRow(r.first) << QString::fromLatin1(r.first) << r.second;
    }
    void extraWords()
    {
        QFETCH(QString, word);
        QFETCH(int, extra);
        QCOMPARE(BatchKeywords::extraCommandId(word), extra);
        const CmdLine line(word + " 2");
        if (extra != BatchKeywords::NoExtraCommand) {
            QCOMPARE(line.commandId(), 112);
            QVERIFY(!line.isCommand());
        }
        QCOMPARE(line.isExtraCommand(), extra != BatchKeywords::NoExtraCommand);
    }

    // The argument reader gives the language's conversions and notes what it had to replace.
    void argumentNotes_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("note");
        QTest::newRow("integer") << "seek_image 3" << "n" << "";
        QTest::newRow("not an integer") << "set_band_w 3.5" << "n"
                                        << "argument 1 of set_band_w, \"3.5\", is not an integer; 0 is used";
        QTest::newRow("missing integer") << "seek_image" << "n" << "argument 1 of seek_image is missing; 0 is used";
        QTest::newRow("number") << "calib_set_edge_eV 7112.5" << "x" << "";
        QTest::newRow("not a number") << "eng_calc_base_i0 7k" << "x"
                                      << "argument 1 of eng_calc_base_i0, \"7k\", is not a number; 0 is used";
        QTest::newRow("nan") << "eng_calc_base_i0 nan" << "x"
                             << "argument 1 of eng_calc_base_i0, \"nan\", is not a number; 0 is used";
        QTest::newRow("flag 0") << "set_fluo_type 0" << "flag" << "";
        QTest::newRow("flag 1") << "set_fluo_type 1" << "flag" << "";
        QTest::newRow("flag 2") << "set_fluo_type 2" << "flag"
                                << "argument 1 of set_fluo_type, \"2\", is not 0 or 1; off is used";
        QTest::newRow("flag missing") << "set_fluo_type" << "flag"
                                      << "argument 1 of set_fluo_type is missing; off is used";
    }
    void argumentNotes()
    {
        QFETCH(QString, line);
        QFETCH(QString, kind);
        QFETCH(QString, note);
        const CmdLine cmd(line);
        BatchArgReader a(cmd);
        if (kind == "n")
            QCOMPARE(a.n(0), BatchArgs::toInt(cmd.arg(0)));
        else if (kind == "x")
            QCOMPARE(a.x(0), BatchArgs::toDouble(cmd.arg(0)));
        else
            QCOMPARE(a.flag(0), BatchArgs::toFlag(cmd.arg(0)));
        QCOMPARE(a.notes(), note.isEmpty() ? QStringList() : QStringList{note});
    }

    // A line crosses threads as a queued argument.
    void registeredMetaType()
    {
        registerBatchMetaTypes();
        QVERIFY(QMetaType::type("CmdLine") != QMetaType::UnknownType);
        CmdLine c("save_image \"a b.png\"");
        c.lineNo = 4;
        const CmdLine back = QVariant::fromValue(c).value<CmdLine>();
        QCOMPARE(back.args, c.args);
        QCOMPARE(back.lineNo, 4);
    }
};

QTEST_GUILESS_MAIN(TestBatchWords)
#include "tst_batchwords.moc"
