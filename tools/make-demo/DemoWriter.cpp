#include "DemoWriter.h"
#include "base/RunOnThreads.h"
#include "DemoEdgeTruth.h"

#include "DemoEnergies.h"
#include "DemoFiles.h"
#include "output/TiffWriter.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

namespace {

const char* const subFolders[] = {"i0", "i1", "calib", "formats", "refs", "std", "truth", "results"};

// Image files of an earlier run are removed first, so that a folder never
// mixes two scans (a series is loaded by pattern, e.g. every i1_*eV.tif).
void removeOldImages(const QDir& root)
{
    const struct {
        const char* folder;
        QStringList patterns;
    } old[] = {
        {"i0", {QStringLiteral("i0_*eV.tif")}},
        {"i1", {QStringLiteral("i1_*eV.tif")}},
        {"calib", {QStringLiteral("cal_*eV.tif")}},
        {"formats", {QStringLiteral("i0_*eV.img"), QStringLiteral("i1_*eV.img"), QStringLiteral("i0_*eV.dat"),
                     QStringLiteral("i1_*eV.dat")}},
    };
    for (const auto& o : old) {
        QDir d(root.filePath(QLatin1String(o.folder)));
        for (const QString& name : d.entryList(o.patterns, QDir::Files))
            d.remove(name);
    }
}

QString analysisScript(const DemoModel& model)
{
    const auto& e = model.energies();
    QString s = QStringLiteral(
        "# analysis.bat - the whole analysis of this demo measurement, as a batch script.\n"
        "# Paths are relative to this script's folder, wherever it is run from, e.g.\n"
        "#   QT_QPA_PLATFORM=offscreen orvantelle -e -b /path/to/analysis.bat -x\n"
        "# The results go to results/ (maps as 16-bit TIFF and as text, the energy-shift\n"
        "# map, and a .provenance.txt file next to each).\n"
        "#\n"
        "# Measurement: %1 x %2 pixels, %3 energies from %4 to %5 eV.\n"
        "\n"
        "# Energies from the file names (four digits, a point, two digits, eV).\n"
        "eng_by_name_i0\n"
        "eng_by_name_reg_exp_i0 \\d\\d\\d\\d\\.\\d\\deV\n"
        "eng_by_name_factor_i0 1\n"
        "eng_by_name_i1\n"
        "eng_by_name_reg_exp_i1 \\d\\d\\d\\d\\.\\d\\deV\n"
        "eng_by_name_factor_i1 1\n"
        "show_latest_i0 0\n"
        "show_latest_i1 0\n"
        "\n"
        "# 1. Energy calibration: the uniform Fe foil (calib/) as I1 with the same I0,\n"
        "#    against the standard, in blocks of 3 x 3 pixels over the whole image.\n"
        "load_I0_files_of_pattern NEW i0/ i0_*eV.tif\n"
        "load_I1_files_of_pattern NEW calib/ cal_*eV.tif\n"
        "calib_load_std std/fe_foil.dat\n"
        "calib_set_rule 0\n"
        "set_band_w 1\n"
        "set_band_h 1\n"
        "select_region 0 0 %1 %2\n"
        "calib_exec\n"
        "calib_save_map results/shift.emp\n"
        "\n"
        "# 2. The sample (the energy-shift map stays), aligned to its first image: the\n"
        "#    sample drifts by up to 3 pixels between energies.\n"
        "load_I1_files_of_pattern NEW i1/ i1_*eV.tif\n"
        "align_series 0 0.4\n"
        "\n"
        "# 3. Linear combination fit of every pixel with the three references (straight\n"
        "#    background lines, dE 0); the energy-shift map is applied.\n"
        "set_band_w 0\n"
        "set_band_h 0\n"
        "select_region 0 0 %1 %2\n");
    s = s.arg(model.width()).arg(model.height()).arg(e.size()).arg(demoEnergyText(e.front()), demoEnergyText(e.back()));
    const auto& compounds = model.compounds();
    for (std::size_t k = 0; k < compounds.size(); ++k)
        s += QStringLiteral("analyzer_set_LCF_std %1 1 0 refs/%2.dat 0\n").arg(k).arg(compounds[k].name);
    s += QStringLiteral(
        "analyzer_select_analysis_mode 0\n"
        "analyzer_set_LCF_mode 0\n"
        "analyzer_exec_LCF\n"
        "\n"
        "# 4. The fraction map of every reference as a 16-bit TIFF (0 ... 1 over\n"
        "#    0 ... 65535) and as text (x, y, fraction per line). A map saved as\n"
        "#    NAME.tif from reference row n is written to NAME-n.tif.\n"
        "analyzer_select_image_type 1\n"
        "saveDataCfg_save_as_tiff\n"
        "saveDataCfg_tiff_fix_scale 1\n"
        "saveDataCfg_tiff_scale_min 0\n"
        "saveDataCfg_tiff_scale_max 1\n");
    for (std::size_t k = 0; k < compounds.size(); ++k)
        s += QStringLiteral("analyzer_select_image %1\nsave_data results/fraction_%2.tif\n").arg(k).arg(compounds[k].name);
    s += QStringLiteral("saveDataCfg_save_as_text\nsaveDataCfg_text_as_ssv\nsaveDataCfg_text_as_xyz\n");
    for (std::size_t k = 0; k < compounds.size(); ++k)
        s += QStringLiteral("analyzer_select_image %1\nsave_data results/fraction_%2.dat\n").arg(k).arg(compounds[k].name);
    s += QStringLiteral("\nquit\n");
    return s;
}

} // namespace

QString DemoWriter::i0Name(double energy)
{
    return QStringLiteral("i0/i0_%1eV.tif").arg(demoEnergyText(energy));
}

QString DemoWriter::i1Name(double energy)
{
    return QStringLiteral("i1/i1_%1eV.tif").arg(demoEnergyText(energy));
}

QString DemoWriter::calName(double energy)
{
    return QStringLiteral("calib/cal_%1eV.tif").arg(demoEnergyText(energy));
}

std::vector<int> DemoWriter::formatIndices(const std::vector<double>& energies)
{
    std::vector<int> out;
    for (double target : {demoE0 - 50.0, demoE0 + 13.0, demoE0 + 150.0}) {
        int best = -1;
        for (int i = 0; i < int(energies.size()); ++i)
            if (best < 0 || std::fabs(energies[size_t(i)] - target) < std::fabs(energies[size_t(best)] - target))
                best = i;
        if (best >= 0 && std::find(out.begin(), out.end(), best) == out.end())
            out.push_back(best);
    }
    return out;
}

std::vector<double> DemoWriter::referenceGrid()
{
    std::vector<double> grid;
    for (int i = 0; i <= 2600; ++i)
        grid.push_back(6950.0 + 0.25 * i);
    return grid;
}

bool DemoWriter::write(const DemoModel& model, const DemoConfig& config, QString* error)
{
    if (!model.isValid()) {
        *error = QStringLiteral("no energy grid for %1 energies").arg(config.energies);
        return false;
    }
    QDir root(config.outDir);
    if (!root.mkpath(QStringLiteral("."))) {
        *error = QStringLiteral("can not create %1").arg(config.outDir);
        return false;
    }
    for (const char* sub : subFolders)
        if (!root.mkpath(QLatin1String(sub))) {
            *error = QStringLiteral("can not create %1").arg(root.filePath(QLatin1String(sub)));
            return false;
        }
    removeOldImages(root);
    const QString dir = root.absolutePath();
    return writeSpectra(model, dir, error) && writeTruth(model, dir, error) && writeScanLists(model, dir, error)
        && writeParams(model, config, dir, error) && writeStacks(model, config, dir, error);
}

bool DemoWriter::writeSpectra(const DemoModel& model, const QString& dir, QString* error)
{
    const std::vector<double> grid = referenceGrid();
    for (const DemoCompound& c : model.compounds()) {
        std::vector<double> mu;
        for (double e : grid)
            mu.push_back(c.mu(e));
        const QStringList comments{
            QStringLiteral("Orvantelle demo reference: %1 model compound").arg(c.label),
            QStringLiteral("edge %1 eV, white line %2 at +%3 eV").arg(c.edge).arg(c.whiteLine).arg(c.whiteLineAt),
            QStringLiteral("columns: energy (eV), absorption per unit thickness")};
        const QString path = dir + QStringLiteral("/refs/%1.dat").arg(c.name);
        if (!DemoFiles::writeSpectrumText(path, comments, grid, mu)) {
            *error = QStringLiteral("can not write %1").arg(path);
            return false;
        }
        if (c.name == QLatin1String("fe3")) {
            const QString path9809 = dir + QStringLiteral("/refs/fe3_9809.dat");
            if (!DemoFiles::writeSpectrum9809(path9809, QStringLiteral("%1 model compound (synthetic)").arg(c.label),
                                              spacing, grid, mu)) {
                *error = QStringLiteral("can not write %1").arg(path9809);
                return false;
            }
        }
    }
    std::vector<double> foil;
    for (double e : grid)
        foil.push_back(DemoModel::foilThickness * model.compounds()[0].mu(e));
    const QString stdPath = dir + QStringLiteral("/std/fe_foil.dat");
    const QStringList comments{QStringLiteral("Orvantelle demo standard: Fe foil (metal-like compound), no energy shift"),
                               QStringLiteral("columns: energy (eV), absorption")};
    if (!DemoFiles::writeSpectrumText(stdPath, comments, grid, foil)) {
        *error = QStringLiteral("can not write %1").arg(stdPath);
        return false;
    }
    return true;
}

bool DemoWriter::writeTruth(const DemoModel& model, const QString& dir, QString* error)
{
    struct Map {
        QString name;
        const std::vector<float>* data;
    };
    std::vector<Map> maps;
    for (int k = 0; k < DemoModel::compoundCount; ++k)
        maps.push_back({QStringLiteral("fraction_%1.f32").arg(model.compounds()[size_t(k)].name), &model.fraction(k)});
    maps.push_back({QStringLiteral("thickness.f32"), &model.thickness()});
    maps.push_back({QStringLiteral("shift.f32"), &model.shift()});
    maps.push_back({QStringLiteral("beam.f32"), &model.beam()});
    const std::vector<float> e0 = demoEdgeEnergies(model, int(std::thread::hardware_concurrency()));
    maps.push_back({QStringLiteral("e0.f32"), &e0});
    for (const Map& m : maps) {
        const QString path = dir + QStringLiteral("/truth/") + m.name;
        if (!DemoFiles::writeFloatMap(path, *m.data)) {
            *error = QStringLiteral("can not write %1").arg(path);
            return false;
        }
    }
    QString drift = QStringLiteral(
        "# Sample drift per energy, whole pixels. Content at (u, v) of the first image\n"
        "# appears at (u + dx, v + dy); the alignment shift that undoes it is (-dx, -dy).\n"
        "# index energy_eV dx dy\n");
    for (size_t i = 0; i < model.energies().size(); ++i)
        drift += QStringLiteral("%1 %2 %3 %4\n")
                     .arg(i)
                     .arg(demoEnergyText(model.energies()[i]))
                     .arg(model.drift()[i].dx)
                     .arg(model.drift()[i].dy);
    const QString path = dir + QStringLiteral("/truth/drift.txt");
    if (!DemoFiles::writeText(path, drift)) {
        *error = QStringLiteral("can not write %1").arg(path);
        return false;
    }
    return true;
}

bool DemoWriter::writeScanLists(const DemoModel& model, const QString& dir, QString* error)
{
    QString energies = QStringLiteral("# index energy_eV angle_deg (d = 3.13553 A)\n");
    QString angles = QStringLiteral("# Bragg angles of the scan in degrees, one per image, d = 3.13553 A\n");
    for (size_t i = 0; i < model.energies().size(); ++i) {
        const double e = model.energies()[i];
        const QString angle = QString::number(DemoFiles::braggAngle(e, spacing), 'f', 8);
        energies += QStringLiteral("%1 %2 %3\n").arg(i).arg(demoEnergyText(e), angle);
        angles += angle + QLatin1Char('\n');
    }
    for (const auto& [name, text] : {std::pair<QString, QString>{QStringLiteral("energies.txt"), energies},
                                     std::pair<QString, QString>{QStringLiteral("angles.txt"), angles},
                                     std::pair<QString, QString>{QStringLiteral("analysis.bat"), analysisScript(model)}}) {
        const QString path = dir + QLatin1Char('/') + name;
        if (!DemoFiles::writeText(path, text)) {
            *error = QStringLiteral("can not write %1").arg(path);
            return false;
        }
    }
    return true;
}

bool DemoWriter::writeParams(const DemoModel& model, const DemoConfig& config, const QString& dir, QString* error)
{
    QString p = QStringLiteral("# Orvantelle synthetic imaging-XANES measurement (make-demo); see tools/make-demo/README.md\n");
    auto add = [&p](const QString& key, const QString& value) { p += key + QStringLiteral(" = ") + value + QLatin1Char('\n'); };
    add(QStringLiteral("format"), QStringLiteral("1"));
    add(QStringLiteral("seed"), QString::number(config.seed));
    add(QStringLiteral("width"), QString::number(model.width()));
    add(QStringLiteral("height"), QString::number(model.height()));
    add(QStringLiteral("energies"), QString::number(model.energies().size()));
    add(QStringLiteral("first_energy_eV"), demoEnergyText(model.energies().front()));
    add(QStringLiteral("last_energy_eV"), demoEnergyText(model.energies().back()));
    add(QStringLiteral("e0_eV"), QString::number(demoE0));
    add(QStringLiteral("spacing_A"), QString::number(spacing, 'f', 5));
    add(QStringLiteral("noise"), config.noise ? QStringLiteral("poisson") : QStringLiteral("none"));
    add(QStringLiteral("i0_peak_counts"), QString::number(DemoModel::i0PeakCounts));
    add(QStringLiteral("foil_thickness"), QString::number(DemoModel::foilThickness));
    add(QStringLiteral("max_abs_shift_eV"), QString::number(model.maxAbsShift(), 'f', 4));
    add(QStringLiteral("max_drift_px"), QString::number(DemoModel::maxDrift));
    if (config.sharpEdge)
        add(QStringLiteral("edge_model"), QStringLiteral("sharp"));
    for (int k = 0; k < DemoModel::compoundCount; ++k) {
        const DemoCompound& c = model.compounds()[size_t(k)];
        add(QStringLiteral("compound_%1").arg(k),
            QStringLiteral("%1 \"%2\" edge %3 eV, reference refs/%1.dat, truth truth/fraction_%1.f32")
                .arg(c.name, c.label)
                .arg(c.edge));
    }
    const QString path = dir + QStringLiteral("/params.txt");
    if (!DemoFiles::writeText(path, p)) {
        *error = QStringLiteral("can not write %1").arg(path);
        return false;
    }
    return true;
}

bool DemoWriter::writeStacks(const DemoModel& model, const DemoConfig& config, const QString& dir, QString* error)
{
    const int n = int(model.energies().size());
    int threads = config.threads > 0 ? config.threads : int(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, n);
    const std::vector<int> extra = formatIndices(model.energies());
    const int w = model.width(), h = model.height();

    std::atomic<bool> failed{false};
    std::mutex errorLock;
    QString firstError;
    auto fail = [&](const QString& path) {
        std::lock_guard<std::mutex> lock(errorLock);
        if (!failed.exchange(true))
            firstError = QStringLiteral("can not write %1").arg(path);
    };

    auto work = [&](int first) {
        std::vector<quint16> i0, i1, cal;
        for (int i = first; i < n && !failed; i += threads) {
            const double e = model.energies()[size_t(i)];
            model.images(i, config.noise, &i0, &i1, &cal);
            const std::pair<QString, const std::vector<quint16>*> tiffs[] = {
                {i0Name(e), &i0}, {i1Name(e), &i1}, {calName(e), &cal}};
            for (const auto& [name, data] : tiffs) {
                const QString path = dir + QLatin1Char('/') + name;
                if (!writeTiff16(path, data->data(), w, h)) {
                    fail(path);
                    return;
                }
            }
            if (std::find(extra.begin(), extra.end(), i) == extra.end())
                continue;
            const QString energy = demoEnergyText(e);
            for (const auto& [kind, data] : {std::pair<QString, const std::vector<quint16>*>{QStringLiteral("i0"), &i0},
                                             std::pair<QString, const std::vector<quint16>*>{QStringLiteral("i1"), &i1}}) {
                const QString stem = dir + QStringLiteral("/formats/%1_%2eV").arg(kind, energy);
                const QString comment = QStringLiteral("Prop_ImageWidth=%1,Prop_ImageHeight=%2,BytesPerPixel=2,"
                                                       "Energy=%3eV,Kind=%4,")
                                            .arg(w).arg(h).arg(energy, kind);
                if (!DemoFiles::writeIm(stem + QStringLiteral(".img"), data->data(), w, h, comment)) {
                    fail(stem + QStringLiteral(".img"));
                    return;
                }
                const QStringList notes{QStringLiteral("ENERGY_EV = %1").arg(energy),
                                        QStringLiteral("KIND = %1").arg(kind)};
                if (!DemoFiles::writeCttr(stem + QStringLiteral(".dat"), data->data(), w, h, notes)) {
                    fail(stem + QStringLiteral(".dat"));
                    return;
                }
            }
        }
    };

    runOnThreads(threads, work);
    if (failed) {
        *error = firstError;
        return false;
    }
    return true;
}
