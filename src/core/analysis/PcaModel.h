#pragma once

#include <QtGlobal>
#include <vector>

// The sums a principal component analysis needs, gathered block by block:
// the number of spectra, the sum of each value and the sum of the products
// of every two values (p values per spectrum). Adding the same rows in the
// same order gives the same sums to the bit.
class CovarianceSums
{
public:
    explicit CovarianceSums(int size = 0);

    int size() const { return m_size; }
    qint64 count() const { return m_count; }
    // Adds `rows` spectra of size() values each, row after row; rows whose
    // `use` entry is 0 are left out (use may be null: every row counts).
    void add(const double* values, qint64 rows, const char* use = nullptr);

    const std::vector<double>& sums() const { return m_sum; }
    // Lower triangle (row >= column) of the p x p products, column-major.
    const std::vector<double>& products() const { return m_cross; }

private:
    int m_size = 0;
    qint64 m_count = 0;
    std::vector<double> m_sum;
    std::vector<double> m_cross;
    std::vector<double> m_rows;
};

// The first components of a set of spectra: their mean, the leading
// eigenvectors of their covariance matrix (unit length, the sign chosen so
// that the entry of largest magnitude is positive) with the variance along
// each, and the total variance, from which the explained share follows.
struct PcaModel {
    std::vector<double> mean;        // p values
    std::vector<double> components;  // n x p, component j at j * p
    std::vector<double> variances;   // n, descending
    double totalVariance = 0.0;
    qint64 samples = 0;

    int size() const { return int(mean.size()); }
    int count() const { return int(variances.size()); }
    bool isValid() const { return count() > 0; }
    const double* component(int j) const { return components.data() + std::size_t(j) * std::size_t(size()); }
    // Share of the total variance along component j (0 ... 1).
    double explained(int j) const { return totalVariance > 0.0 ? variances[std::size_t(j)] / totalVariance : 0.0; }
    // The n scores of a spectrum of size() values: (x - mean) . component j.
    void project(const double* x, double* scores) const;

    // The first n components (n clipped to the size and to samples - 1) of
    // the spectra summed in `sums`; an invalid model without two spectra.
    static PcaModel fromSums(const CovarianceSums& sums, int n);
};
