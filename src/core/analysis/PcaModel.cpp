#include "analysis/PcaModel.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>

namespace {

using ColMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic>;
using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

// Rows taken at a time: the product of a block of rows runs at matrix speed.
constexpr qint64 rowsPerBlock = 512;

} // namespace

CovarianceSums::CovarianceSums(int size)
    : m_size(std::max(0, size)),
      m_sum(std::size_t(m_size), 0.0),
      m_cross(std::size_t(m_size) * std::size_t(m_size), 0.0)
{
}

void CovarianceSums::add(const double* values, qint64 rows, const char* use)
{
    const int p = m_size;
    if (p == 0 || rows <= 0)
        return;
    Eigen::Map<ColMajor> cross(m_cross.data(), p, p);
    Eigen::Map<Eigen::VectorXd> sum(m_sum.data(), p);
    m_rows.resize(std::size_t(rowsPerBlock) * std::size_t(p));
    for (qint64 r0 = 0; r0 < rows; r0 += rowsPerBlock) {
        // The rows in use, packed; the order of the rows is kept.
        qint64 taken = 0;
        for (qint64 r = r0; r < std::min(rows, r0 + rowsPerBlock); ++r) {
            if (use && !use[r])
                continue;
            std::copy(values + r * p, values + (r + 1) * p, m_rows.data() + taken * p);
            ++taken;
        }
        if (taken == 0)
            continue;
        Eigen::Map<RowMajor> block(m_rows.data(), Eigen::Index(taken), p);
        cross.selfadjointView<Eigen::Lower>().rankUpdate(block.transpose());
        sum += block.colwise().sum().transpose();
        m_count += taken;
    }
}

void PcaModel::project(const double* x, double* scores) const
{
    const int p = size();
    for (int j = 0; j < count(); ++j) {
        const double* v = component(j);
        double s = 0.0;
        for (int k = 0; k < p; ++k)
            s += (x[k] - mean[std::size_t(k)]) * v[k];
        scores[j] = s;
    }
}

PcaModel PcaModel::fromSums(const CovarianceSums& sums, int n)
{
    PcaModel m;
    const int p = sums.size();
    const qint64 count = sums.count();
    if (p == 0 || count < 2)
        return m;
    n = int(std::clamp<qint64>(n, 1, std::min<qint64>(p, count - 1)));
    const Eigen::Map<const Eigen::VectorXd> sum(sums.sums().data(), p);
    const Eigen::VectorXd mean = sum / double(count);
    ColMajor cov = Eigen::Map<const ColMajor>(sums.products().data(), p, p).selfadjointView<Eigen::Lower>();
    cov -= double(count) * mean * mean.transpose();
    cov /= double(count - 1);
    const Eigen::SelfAdjointEigenSolver<ColMajor> eig(cov);
    if (eig.info() != Eigen::Success)
        return m;
    m.samples = count;
    m.mean.assign(mean.data(), mean.data() + p);
    m.totalVariance = cov.trace();
    m.components.resize(std::size_t(n) * std::size_t(p));
    // Eigenvalues come in increasing order: the last ones lead.
    for (int j = 0; j < n; ++j) {
        const int col = p - 1 - j;
        Eigen::VectorXd v = eig.eigenvectors().col(col);
        Eigen::Index big = 0;
        v.cwiseAbs().maxCoeff(&big);
        if (v(big) < 0.0)
            v = -v;
        std::copy(v.data(), v.data() + p, m.components.begin() + std::ptrdiff_t(j) * p);
        m.variances.push_back(std::max(0.0, eig.eigenvalues()(col)));
    }
    return m;
}
