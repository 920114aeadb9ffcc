#pragma once

#include <QString>
#include <vector>

// Model absorption spectrum mu(E) of one iron compound of the demo sample, per
// unit thickness: a falling (Victoreen-like) pre-edge, an arctan edge of height
// 1 that falls slowly above the edge, a white line, an optional pre-edge peak
// and damped post-edge oscillations. All compounds share the same background
// and edge jump, as the same amount of iron does whatever its chemical state.
struct DemoCompound {
    QString name;          // file stem, e.g. "fe_metal"
    QString label;         // human-readable, e.g. "Fe metal-like"
    double edge = 7112.0;  // arctan edge position, eV
    double edgeWidth = 1.5;    // arctan half width, eV
    double whiteLine = 0.0;    // white-line height
    double whiteLineAt = 6.0;  // white-line position above the edge, eV
    double whiteLineWidth = 3.0; // white-line Gaussian sigma, eV
    double prePeak = 0.0;      // pre-edge peak height
    double prePeakAt = 7113.0; // pre-edge peak position, eV
    double prePeakWidth = 1.0; // pre-edge peak Gaussian sigma, eV
    double oscillation = 0.0;  // amplitude of the post-edge oscillations
    double distance = 2.0;     // scattering distance, angstrom (sets the period)
    double phase = 0.0;        // oscillation phase, rad
    double damping = 180.0;    // decay length of the oscillations, eV

    // Absorption per unit thickness at energy e (eV).
    double mu(double e) const;

    // The three compounds of the demo sample: metal-like (edge about 7112 eV),
    // Fe(II)-like (about 7119 eV) and Fe(III)-like (about 7123 eV), in this order.
    // `sharp`: narrower edges, a stronger and narrower white line and a sharp
    // pre-edge peak for every compound (the edge positions stay).
    static std::vector<DemoCompound> ironSet(bool sharp = false);
};

// Edge energy the demo is built around (Fe K, eV).
constexpr double demoE0 = 7112.0;
