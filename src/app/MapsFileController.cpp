#include "MapsFileController.h"

#include "ui_Body.h"

#include "analyzer/Analyzer.h"
#include "analyzer/ElemCtrl.h"
#include "analyzer/LCFReference.h"
#include "base/StartupOptions.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CalibrationController.h"
#include "CommandTable.h"
#include "grid/Analyzed2DRes.h"
#include "io/TiffData.h"
#include "MapsExtraController.h"
#include "output/MapsHdf5File.h"
#include "output/SaveFileNames.h"
#include "SaveController.h"
#include "SeriesController.h"
#include "spectrumview/XafsFileSelect.h"

#include <QCoreApplication>
#include <QFileDialog>

using namespace BatchKeywords;

namespace {

// A map belongs to the analysis once a run has set it up (a block that
// could not be fitted holds NaN, which is a result too).
bool hasValues(const Analyzed2DRes* map)
{
    return map && map->data();
}

const char* const rFactorFormula =
    "R = sum_i (y_i - sum_k c_k r_k,i)^2 / sum_i y_i^2 over the fitted points, y the block's normalised "
    "spectrum, r_k the references, c_k the amounts";

struct ElementKind {
    const char* suffix;
    const char* kind;
    const char* unit;
};

const ElementKind elementKinds[ElemCtrl::MapKinds] = {
    {"dmut", "element edge jump", "absorption"},
    {"dmut_norm", "element edge jump, normalised", ""},
    {"mu_above", "absorption above the edge", "absorption"},
    {"mu_below", "absorption below the edge", "absorption"},
    {"edge_shift", "element edge shift", "eV"},
    {"roi", "element region of interest", ""},
    {"roi_norm", "element region of interest, normalised", ""},
};

}

MapsFileController::MapsFileController(BodyContext& c)
    : m_c(c)
    , m_dialog([this] {
        auto* d = new QFileDialog(m_c.window);
        d->setObjectName(QStringLiteral("SaveMapsHdf5Dialog"));
        d->setAcceptMode(QFileDialog::AcceptSave);
        d->setFileMode(QFileDialog::AnyFile);
        d->setNameFilters({QCoreApplication::translate("Body", "HDF5 File (*.h5)"),
                           QCoreApplication::translate("Body", "Any Files (* *.*)")});
        d->setDirectory(AppPaths::dataRoot());
        connect(d, &QFileDialog::fileSelected, this, &MapsFileController::save);
        return d;
    })
{
    connect(m_c.ui->SaveAllMapsHdf5, &QPushButton::clicked, this, [this] { m_dialog.show(); });
    addCommands(m_c.batch->table());
}

MapsFileController::~MapsFileController() = default;

MapsFileContent MapsFileController::content() const
{
    MapsFileContent c;
    const Analyzer* analyzer = m_c.analyzer;
    const QVector<LCFReference*>& rows = analyzer->refs();
    for (int i = 0; i < rows.size(); ++i) {
        const LCFReference* row = rows.at(i);
        const QString file = row->fileSelect()->fileName();
        // A row without a reference takes no part in a fit: its maps are zeros.
        if (file.isEmpty())
            continue;
        const Analyzed2DRes* amount = row->map(LCFReference::Amount);
        const Analyzed2DRes* fraction = row->map(LCFReference::Fraction);
        if (hasValues(amount))
            c.maps.append({QStringLiteral("ref%1_amount").arg(i + 1), QStringLiteral("LCF amount"), file, QString(),
                           QString(), amount});
        if (hasValues(fraction))
            c.maps.append({QStringLiteral("ref%1_fraction").arg(i + 1), QStringLiteral("LCF fraction"), file,
                           QStringLiteral("fraction"), QString(), fraction});
        if (row->isUsed() && !row->snapshot().spectrum.isEmpty()) {
            const XafsSpectrum s = row->snapshot().spectrum;
            MapsFileContent::Reference r{QStringLiteral("ref%1").arg(i + 1), file, s.offset(), {}, {}};
            for (int k = 0; k < s.count(); ++k) {
                r.energies.push_back(s.x(k));
                r.values.push_back(s.y(k));
            }
            c.references.append(r);
        }
    }
    const struct {
        const char* name;
        const char* kind;
        const char* unit;
        const char* formula;
        const Analyzed2DRes* map;
    } single[] = {
        {"r_factor", "LCF fit quality (R factor)", "", rFactorFormula, analyzer->rFactorMap()},
        {"fraction_sum", "LCF sum of the fractions", "fraction", "", analyzer->fracSumMap()},
        {"residual_dmut", "residual absorption: edge jump at the energy", "absorption", "", analyzer->a2dDMut()},
        {"residual_rest", "residual absorption: rest", "absorption", "", analyzer->a2dRest()},
        {"residual_ratio", "residual absorption: ratio", "", "", analyzer->a2dRati()},
        {"element_correlation", "element correlation", "", "", analyzer->corMap()},
        {"element_correlation_threshold", "element correlation above the threshold", "", "", analyzer->corThMap()},
    };
    for (const auto& m : single)
        if (hasValues(m.map))
            c.maps.append({QLatin1String(m.name), QLatin1String(m.kind), QString(), QLatin1String(m.unit),
                           QLatin1String(m.formula), m.map});
    for (const ElemCtrl* row : analyzer->elems())
        for (int k = 0; k < ElemCtrl::MapKinds; ++k)
            if (hasValues(row->map(k)))
                c.maps.append({MapsHdf5File::datasetName(row->name() + QLatin1Char('_') + elementKinds[k].suffix),
                               QLatin1String(elementKinds[k].kind), row->name(), QLatin1String(elementKinds[k].unit),
                               QString(), row->map(k)});
    for (const ExtraMap& m : m_c.mapsExtra->maps())
        if (hasValues(m.map))
            c.maps.append({m.name, m.kind, QString(), m.unit, QString(), m.map});
    for (const TiffData* image : m_c.series->i1().images())
        c.energies.push_back(image->energy());
    const Analyzed2DRes& shift = m_c.calibration->shiftMap();
    c.shift = shift.data();
    c.shiftWidth = shift.width();
    c.shiftHeight = shift.height();
    c.provenance = m_c.saving->provenance();
    return c;
}

bool MapsFileController::save(const QString& fname)
{
    const QString target = SaveFileNames::withDefaultSuffix(fname, QStringLiteral("h5"));
    QString error;
    if (!MapsHdf5File::write(content(), target, &error)) {
        m_c.batch->reportFailure(error);
        return false;
    }
    return true;
}

void MapsFileController::addCommands(CommandTable& t)
{
    t.add(SaveAllMapsHdf5, [this](const CmdLine&, BatchArgReader& a) { save(a.text(0)); });
}
