#pragma once

#include "physics/BackgroundLine.h"
#include "physics/Spectrum.h"

#include <QMetaType>
#include <QString>

// A measured absorption spectrum mu(E) with its pre-edge and post-edge lines,
// edge energy, edge jump and four normalised versions; a value type that is
// copied into the analysis thread.
class XafsSpectrum : public Spectrum
{
public:
    XafsSpectrum() = default;
    // Builds from the raw points of `mu` (copied unchanged, min.x and max.x
    // reduced by mu's offset when in force); the offset is off and holds the
    // value mu had in force. Normalises with `victoreen` when there are points.
    XafsSpectrum(const Spectrum& mu, bool victoreen, double dE);

    // Fits both background lines around the half-height energy with the given
    // form, finds e0 and the jump and rebuilds the four derived spectra.
    // Does nothing without points.
    void normalize(bool victoreen);

    // Reads a "9809" file or a plain two-column text file, chosen by the first
    // line; the lines and derived spectra are left as they were. What cannot
    // be a usable spectrum is refused (SpectrumFiles::readSpectrum); a failure
    // says why on the debug output and in *why (when given).
    bool load(const QString& path, QString* why = nullptr);
    // Writes the spectrum text file; x is reduced by dE when energyCorrected.
    bool save(const QString& path, bool energyCorrected) const;

    // The double-normalised pre-base spectrum interpolated at energy e; a NaN
    // energy is noted (NanEnergies) and then evaluated as usual.
    double doubleNormalizedPreBase(double e) const;

    double e0() const { return m_e0; }
    double jump() const { return m_jump; }
    double dE() const { return m_dE; }
    void setDE(double dE) { m_dE = dE; }
    bool victoreen() const { return m_victoreen; }
    void setVictoreen(bool victoreen) { m_victoreen = victoreen; }

    // Background-fit windows in eV relative to the half-height energy.
    double preStart() const { return m_preStart; }
    double preEnd() const { return m_preEnd; }
    double postStart() const { return m_postStart; }
    double postEnd() const { return m_postEnd; }
    void setPreWindow(double start, double end)
    {
        m_preStart = start;
        m_preEnd = end;
    }
    void setPostWindow(double start, double end)
    {
        m_postStart = start;
        m_postEnd = end;
    }

    const BackgroundLine& preEdge() const { return m_preEdge; }
    const BackgroundLine& postEdge() const { return m_postEdge; }
    // (mu - post) / jump + 1
    const Spectrum& normalized() const { return m_normalized; }
    // (mu - pre) / (post - pre)
    const Spectrum& doubleNormalizedPreBase() const { return m_doubleNormalizedPreBase; }
    // (mu - post) / jump
    const Spectrum& normalizedPostBase() const { return m_normalizedPostBase; }
    // (mu - post) / (post - pre)
    const Spectrum& doubleNormalizedPostBase() const { return m_doubleNormalizedPostBase; }

private:
    double findE0(double eh) const;

    BackgroundLine m_preEdge;
    BackgroundLine m_postEdge;
    bool m_victoreen = true;
    double m_preStart = -100.0;
    double m_preEnd = -10.0;
    double m_postStart = 10.0;
    double m_postEnd = 1000.0;
    double m_e0 = 0.0;
    double m_jump = 0.0;
    Spectrum m_normalizedPostBase;
    Spectrum m_doubleNormalizedPostBase;
    Spectrum m_normalized;
    Spectrum m_doubleNormalizedPreBase;
    double m_dE = 0.0;
};

Q_DECLARE_METATYPE(XafsSpectrum)
Q_DECLARE_METATYPE(XafsSpectrum*)

// Registers "XafsSpectrum" and "XafsSpectrum*" with the meta-type system so
// both can travel through queued connections. Safe to call more than once.
void registerSpectrumMetaTypes();

// Reference spectra evaluated at a NaN energy ("nan EeV in
// XafsSpectrum::doubleNormalizedPreBase"), which a whole-area run can meet
// once per point and evaluation: the first of a run is written at once, the
// others only counted, and the end of the run writes their number.
namespace NanEnergies {
// Notes `count` evaluations at a NaN energy; thread-safe.
void note(qint64 count = 1);
// The end of a run: writes the count when more than one was noted, and
// starts counting again. Returns the count.
qint64 endRun();
}
