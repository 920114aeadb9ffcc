#include "DemoHdf5.h"

#include "base/RunOnThreads.h"
#include "io/Hdf5Library.h"

#include "DemoRandom.h"

#include <hdf5.h>

#include <QFile>
#include <algorithm>
#include <cmath>

namespace DemoHdf5 {

namespace {

// bitshuffle's registered filter id; its options: block size (0: automatic)
// and 2 for LZ4 (the filter puts its version and the sample size before them).
constexpr H5Z_filter_t bitshuffleFilter = 32008;

quint16 clampCount(double v)
{
    return quint16(std::clamp(v, 0.0, 65535.0));
}

struct Writer {
    hid_t file = -1;
    hid_t xanes = -1;
    hid_t bkg = -1;
    hid_t dark = -1;

    ~Writer()
    {
        for (hid_t d : {xanes, bkg, dark})
            if (d >= 0)
                H5Dclose(d);
        if (file >= 0)
            H5Fclose(file);
    }

    hid_t stack(const char* name, int n, int h, int w, bool bitshuffle)
    {
        const hsize_t dims[3] = {hsize_t(n), hsize_t(h), hsize_t(w)};
        const hsize_t chunk[3] = {1, hsize_t(h), hsize_t(w)};
        const hid_t space = H5Screate_simple(3, dims, nullptr);
        const hid_t dcpl = H5Pcreate(H5P_DATASET_CREATE);
        H5Pset_chunk(dcpl, 3, chunk);
        if (bitshuffle) {
            const unsigned values[2] = {0, 2};
            H5Pset_filter(dcpl, bitshuffleFilter, H5Z_FLAG_MANDATORY, 2, values);
        }
        const hid_t set = H5Dcreate2(file, name, H5T_STD_U16LE, space, H5P_DEFAULT, dcpl, H5P_DEFAULT);
        H5Pclose(dcpl);
        H5Sclose(space);
        return set;
    }

    static bool writeImage(hid_t set, int i, int h, int w, const quint16* data)
    {
        const hid_t fileSpace = H5Dget_space(set);
        const hsize_t start[3] = {hsize_t(i), 0, 0};
        const hsize_t count[3] = {1, hsize_t(h), hsize_t(w)};
        H5Sselect_hyperslab(fileSpace, H5S_SELECT_SET, start, nullptr, count, nullptr);
        const hid_t memSpace = H5Screate_simple(3, count, nullptr);
        const bool ok = H5Dwrite(set, H5T_NATIVE_UINT16, memSpace, fileSpace, H5P_DEFAULT, data) >= 0;
        H5Sclose(memSpace);
        H5Sclose(fileSpace);
        return ok;
    }
};

// A dark frame sampled on top of `counts` (or alone when counts is null).
void addDark(const std::vector<double>& level, quint64 seed, quint64 stream, quint64 kind, bool noise,
             std::vector<quint16>* counts)
{
    DemoRandom rng(DemoRandom::streamSeed(seed, stream, kind));
    for (size_t p = 0; p < level.size(); ++p) {
        const double d = noise ? double(rng.poisson(level[p])) : std::round(level[p]);
        (*counts)[p] = clampCount(double((*counts)[p]) + d);
    }
}

}

double darkLevel(int x, int y, int width)
{
    return 3000.0 + 1500.0 * double(x) / double(std::max(1, width - 1)) + ((y / 16) % 2 ? 40.0 : 0.0);
}

bool write(const DemoModel& model, bool noise, const QString& path, bool bitshuffle, int threads, QString* error)
{
    const int w = model.width(), h = model.height();
    const int n = int(model.energies().size());
    Hdf5Library::ensurePluginPath();
    if (bitshuffle && H5Zfilter_avail(bitshuffleFilter) <= 0) {
        *error = QStringLiteral("the bitshuffle HDF5 filter is not installed (Debian package bitshuffle)");
        return false;
    }
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    Writer out;
    out.file = H5Fcreate(QFile::encodeName(path).constData(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
    if (out.file < 0) {
        *error = QStringLiteral("can not create %1").arg(path);
        return false;
    }
    out.xanes = out.stack("img_xanes", n, h, w, bitshuffle);
    out.bkg = out.stack("img_bkg", n, h, w, bitshuffle);
    out.dark = out.stack("img_dark", darkFrames, h, w, bitshuffle);
    if (out.xanes < 0 || out.bkg < 0 || out.dark < 0) {
        *error = QStringLiteral("can not create the datasets of %1").arg(path);
        return false;
    }
    std::vector<double> level(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            level[size_t(y) * w + x] = darkLevel(x, y, w);

    // Streams 4 and 5 of each energy are new: the TIFF stacks' counts stay
    // what they are. The dark frames use energy numbers past the scan.
    const quint64 seed = model.seed();
    threads = std::clamp(threads, 1, 64);
    std::vector<std::vector<quint16>> i0(static_cast<size_t>(threads)), i1(static_cast<size_t>(threads)),
        cal(static_cast<size_t>(threads));
    bool ok = true;
    for (int first = 0; first < n && ok; first += threads) {
        const int batch = std::min(threads, n - first);
        runOnThreads(batch, [&](int t) {
            const int i = first + t;
            model.images(i, noise, &i0[size_t(t)], &i1[size_t(t)], &cal[size_t(t)]);
            addDark(level, seed, quint64(i), 4, noise, &i0[size_t(t)]);
            addDark(level, seed, quint64(i), 5, noise, &i1[size_t(t)]);
        });
        for (int t = 0; t < batch && ok; ++t)
            ok = Writer::writeImage(out.xanes, first + t, h, w, i1[size_t(t)].data())
                && Writer::writeImage(out.bkg, first + t, h, w, i0[size_t(t)].data());
    }
    std::vector<quint16> frame(level.size());
    for (int k = 0; k < darkFrames && ok; ++k) {
        std::fill(frame.begin(), frame.end(), quint16(0));
        addDark(level, seed, quint64(n + k), 6, noise, &frame);
        ok = Writer::writeImage(out.dark, k, h, w, frame.data());
    }
    std::vector<double> kev;
    for (double e : model.energies())
        kev.push_back(e / 1000.0);
    const hsize_t count = kev.size();
    const hid_t space = H5Screate_simple(1, &count, nullptr);
    const hid_t eng = H5Dcreate2(out.file, "X_eng", H5T_IEEE_F64LE, space, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    ok = ok && eng >= 0 && H5Dwrite(eng, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, kev.data()) >= 0;
    if (eng >= 0) {
        const hid_t type = H5Tcopy(H5T_C_S1);
        H5Tset_size(type, 3);
        const hid_t scalar = H5Screate(H5S_SCALAR);
        const hid_t attr = H5Acreate2(eng, "units", type, scalar, H5P_DEFAULT, H5P_DEFAULT);
        ok = ok && attr >= 0 && H5Awrite(attr, type, "keV") >= 0;
        if (attr >= 0)
            H5Aclose(attr);
        H5Sclose(scalar);
        H5Tclose(type);
        H5Dclose(eng);
    }
    H5Sclose(space);
    if (!ok)
        *error = QStringLiteral("can not write %1").arg(path);
    return ok;
}

QString analysisScript(const DemoModel& model, const QString& scanFile)
{
    QString s = QStringLiteral(
        "# analysis-hdf5.bat - the analysis of %1, the HDF5 form of this measurement\n"
        "# (images, flats, dark frames and energies in one file), as a batch script.\n"
        "# Run it from this folder, e.g. headless\n"
        "#   QT_QPA_PLATFORM=offscreen orvantelle -e -b analysis-hdf5.bat -x\n"
        "\n"
        "# 1. Energy calibration on the TIFF stacks of the foil, as in analysis.bat.\n"
        "eng_by_name_i0\n"
        "eng_by_name_reg_exp_i0 \\d\\d\\d\\d\\.\\d\\deV\n"
        "eng_by_name_factor_i0 1\n"
        "eng_by_name_i1\n"
        "eng_by_name_reg_exp_i1 \\d\\d\\d\\d\\.\\d\\deV\n"
        "eng_by_name_factor_i1 1\n"
        "show_latest_i0 0\n"
        "show_latest_i1 0\n"
        "load_I0_files_of_pattern NEW i0/ i0_*eV.tif\n"
        "load_I1_files_of_pattern NEW calib/ cal_*eV.tif\n"
        "calib_load_std std/fe_foil.dat\n"
        "calib_set_rule 0\n"
        "set_band_w 1\n"
        "set_band_h 1\n"
        "select_region 0 0 %2 %3\n"
        "calib_exec\n"
        "\n"
        "# 2. The scan file: images as I1 and flats as I0 with the file's energies,\n"
        "#    the dark frames averaged into the dark that every block sum subtracts.\n"
        "load_hdf5_scan %1\n"
        "align_series 0 0.4\n"
        "\n"
        "# 3. Linear combination fit of every pixel with the three references.\n"
        "set_band_w 0\n"
        "set_band_h 0\n"
        "select_region 0 0 %2 %3\n")
                    .arg(scanFile)
                    .arg(model.width())
                    .arg(model.height());
    const auto& compounds = model.compounds();
    for (std::size_t k = 0; k < compounds.size(); ++k)
        s += QStringLiteral("analyzer_set_LCF_std %1 1 0 refs/%2.dat 0\n").arg(k).arg(compounds[k].name);
    s += QStringLiteral(
        "analyzer_select_analysis_mode 0\n"
        "analyzer_set_LCF_mode 0\n"
        "analyzer_exec_LCF\n"
        "\n"
        "# 4. The fraction maps as text, and every map in one HDF5 file.\n"
        "analyzer_select_image_type 1\n"
        "saveDataCfg_save_as_text\n"
        "saveDataCfg_text_as_ssv\n"
        "saveDataCfg_text_as_xyz\n");
    for (std::size_t k = 0; k < compounds.size(); ++k)
        s += QStringLiteral("analyzer_select_image %1\nsave_data results/hdf5_fraction_%2.dat\n")
                 .arg(k)
                 .arg(compounds[k].name);
    s += QStringLiteral("save_all_maps_hdf5 results/hdf5_maps.h5\n\nquit\n");
    return s;
}

}
