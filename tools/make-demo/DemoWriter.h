#pragma once

#include "DemoConfig.h"
#include "DemoModel.h"

#include <QString>
#include <vector>

// Writes a whole demo measurement (image stacks, extra formats, reference and
// standard spectra, truth, energy list, parameters, batch placeholder) into
// the configured folder. Images are made and written in parallel over energies.
class DemoWriter
{
public:
    // Crystal spacing used for every angle the demo writes (Si(111), angstrom).
    static constexpr double spacing = 3.13553;

    // False with a reason in *error when a folder or a file cannot be written.
    static bool write(const DemoModel& model, const DemoConfig& config, QString* error);

    // File names, relative to the output folder.
    static QString i0Name(double energy);   // "i0/i0_7112.50eV.tif"
    static QString i1Name(double energy);   // "i1/i1_7112.50eV.tif"
    static QString calName(double energy);  // "calib/cal_7112.50eV.tif"
    // Energy indices that are also written as IM and CTTR files: the points
    // nearest to E0 - 50, E0 + 13 and E0 + 150 eV (fewer when they coincide).
    static std::vector<int> formatIndices(const std::vector<double>& energies);

    // The fine energy grid of the reference and standard spectra (6950 ... 7600
    // eV in 0.25 eV steps).
    static std::vector<double> referenceGrid();

private:
    static bool writeSpectra(const DemoModel& model, const QString& dir, QString* error);
    static bool writeTruth(const DemoModel& model, const QString& dir, QString* error);
    static bool writeScanLists(const DemoModel& model, const QString& dir, QString* error);
    static bool writeParams(const DemoModel& model, const DemoConfig& config, const QString& dir, QString* error);
    static bool writeStacks(const DemoModel& model, const DemoConfig& config, const QString& dir, QString* error);
};
