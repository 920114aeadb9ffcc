#include "physics/LuSolver.h"

#include <QtTest>
#include <cmath>
#include <random>
#include <vector>

namespace {

using Matrix = std::vector<std::vector<double>>;

// The elimination written out the long way, with separate lower and upper
// factors, as the reference the in-place solver must reproduce bit for bit.
std::vector<double> referenceSolve(Matrix w, std::vector<double> rhs, std::vector<int>* permOut = nullptr)
{
    const int n = int(w.size());
    std::vector<int> perm(n);
    for (int i = 0; i < n; ++i)
        perm[i] = i;
    for (int k = 0; k < n; ++k) {
        double best = -1e300;
        int pos = k;
        for (int m = k; m < n; ++m) {
            if (std::fabs(w[perm[m]][k]) > best) {
                best = std::fabs(w[perm[m]][k]);
                pos = m;
            }
        }
        std::swap(perm[k], perm[pos]);
        if (k == n - 1)
            break;
        const double p = w[perm[k]][k];
        const double d = p == 0.0 ? 1.0 : p;
        for (int m = k + 1; m < n; ++m) {
            const double f = w[perm[m]][k] / d;
            w[perm[m]][k] = f;
            for (int c = k + 1; c < n; ++c)
                w[perm[m]][c] -= w[perm[k]][c] * f;
        }
    }
    Matrix L(n, std::vector<double>(n, 0.0)), U(n, std::vector<double>(n, 0.0));
    for (int l = 0; l < n; ++l) {
        const int r = perm[l];
        for (int c = 0; c < n; ++c) {
            U[r][c] = c >= l ? w[r][c] : 0.0;
            L[r][c] = c < l ? w[r][c] : (c == l ? 1.0 : 0.0);
        }
    }
    std::vector<double> z = rhs;
    for (int i = 0; i < n - 1; ++i) {
        z[perm[i]] /= L[perm[i]][i];
        for (int j = i + 1; j < n; ++j)
            z[perm[j]] -= z[perm[i]] * L[perm[j]][i];
    }
    std::vector<double> s = z;
    for (int i = n - 1; i >= 0; --i) {
        s[perm[i]] /= U[perm[i]][i];
        for (int j = i - 1; j >= 0; --j)
            s[perm[j]] -= s[perm[i]] * U[perm[j]][i];
    }
    std::vector<double> x(n);
    for (int k = 0; k < n; ++k)
        x[k] = s[perm[k]];
    if (permOut)
        *permOut = perm;
    return x;
}

std::vector<double> solveFlat(const Matrix& m, std::vector<double> b, std::vector<int>* permOut = nullptr)
{
    const int n = int(m.size());
    std::vector<double> a;
    for (const auto& row : m)
        a.insert(a.end(), row.begin(), row.end());
    std::vector<int> perm(n);
    std::vector<double> x(n);
    LuSolver::solve(n, a.data(), b.data(), perm.data(), x.data());
    if (permOut)
        *permOut = perm;
    return x;
}

std::vector<double> multiply(const Matrix& m, const std::vector<double>& x)
{
    std::vector<double> b(m.size(), 0.0);
    for (size_t r = 0; r < m.size(); ++r)
        for (size_t c = 0; c < x.size(); ++c)
            b[r] += m[r][c] * x[c];
    return b;
}

} // namespace

Q_DECLARE_METATYPE(Matrix)
Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(std::vector<int>)

class TestLuSolver : public QObject
{
    Q_OBJECT
private slots:
    void knownSystems_data();
    void knownSystems();
    void pivotChoice_data();
    void pivotChoice();
    void matchesLongForm();
    void singular_data();
    void singular();
    void emptySystem();
    void fixedSystem();
    void reusedSystem();
};

void TestLuSolver::knownSystems_data()
{
    QTest::addColumn<Matrix>("m");
    QTest::addColumn<std::vector<double>>("x");
    QTest::addColumn<double>("tol");
    QTest::newRow("1x1") << Matrix{{4.0}} << std::vector<double>{2.5} << 0.0;
    QTest::newRow("2x2 diagonal") << Matrix{{2, 0}, {0, 8}} << std::vector<double>{3, -0.25} << 0.0;
    QTest::newRow("zero leading entry") << Matrix{{0, 1}, {1, 0}} << std::vector<double>{7, -3} << 0.0;
    QTest::newRow("3x3 needs row swaps")
        << Matrix{{1e-3, 2, 3}, {4, 5, 6}, {7, 8, 10}} << std::vector<double>{1, -2, 3} << 1e-12;
    QTest::newRow("4x4 general") << Matrix{{2, -1, 0, 3}, {1, 4, -2, 0}, {-3, 1, 5, 1}, {0, 2, 1, -4}}
                                 << std::vector<double>{0.5, -1.25, 2, 3.75} << 1e-12;
    // Normal equations of a cubic fit: badly conditioned, still accurate.
    QTest::newRow("hilbert 4") << Matrix{{1, 1. / 2, 1. / 3, 1. / 4},
                                         {1. / 2, 1. / 3, 1. / 4, 1. / 5},
                                         {1. / 3, 1. / 4, 1. / 5, 1. / 6},
                                         {1. / 4, 1. / 5, 1. / 6, 1. / 7}}
                               << std::vector<double>{1, 1, 1, 1} << 1e-9;
}

void TestLuSolver::knownSystems()
{
    QFETCH(Matrix, m);
    QFETCH(std::vector<double>, x);
    QFETCH(double, tol);
    const std::vector<double> got = solveFlat(m, multiply(m, x));
    for (size_t k = 0; k < x.size(); ++k)
        QVERIFY2(std::fabs(got[k] - x[k]) <= tol * std::max(1.0, std::fabs(x[k])),
                 qPrintable(QString("unknown %1: %2 instead of %3").arg(k).arg(got[k], 0, 'g', 17).arg(x[k])));
}

void TestLuSolver::pivotChoice_data()
{
    QTest::addColumn<Matrix>("m");
    QTest::addColumn<std::vector<int>>("perm");
    QTest::newRow("largest below") << Matrix{{1, 2}, {3, 1}} << std::vector<int>{1, 0};
    QTest::newRow("tie keeps first row") << Matrix{{2, 1}, {-2, 3}} << std::vector<int>{0, 1};
    QTest::newRow("tie among later rows") << Matrix{{1, 5, 1}, {-3, 1, 0}, {3, 0, 2}} << std::vector<int>{1, 0, 2};
    // After the first swap the permutation is (2, 1, 0); in column 1 rows 1
    // and 0 tie, and row 1 comes first in the permutation.
    QTest::newRow("tie follows permutation order") << Matrix{{1, 4, 0}, {1, 4, 1}, {2, 0, 1}}
                                                   << std::vector<int>{2, 1, 0};
}

void TestLuSolver::pivotChoice()
{
    QFETCH(Matrix, m);
    QFETCH(std::vector<int>, perm);
    std::vector<int> got;
    const std::vector<double> b(m.size(), 1.0);
    const std::vector<double> x = solveFlat(m, b, &got);
    QCOMPARE(got, perm);
    // The solution still solves the system.
    const std::vector<double> back = multiply(m, x);
    for (size_t k = 0; k < b.size(); ++k)
        QVERIFY(std::fabs(back[k] - b[k]) < 1e-12);
}

void TestLuSolver::matchesLongForm()
{
    // Random systems with small integer entries, so ties and zero pivots occur.
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> entry(-3, 3);
    for (int trial = 0; trial < 500; ++trial) {
        const int n = 1 + trial % 7;
        Matrix m(n, std::vector<double>(n));
        std::vector<double> b(n);
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c)
                m[r][c] = entry(rng) * (trial % 3 == 0 ? 0.1 : 1.0);
            b[r] = entry(rng);
        }
        std::vector<int> permRef, permGot;
        const std::vector<double> ref = referenceSolve(m, b, &permRef);
        const std::vector<double> got = solveFlat(m, b, &permGot);
        QCOMPARE(permGot, permRef);
        for (int k = 0; k < n; ++k) {
            const bool same = (std::isnan(ref[k]) && std::isnan(got[k])) || ref[k] == got[k];
            QVERIFY2(same, qPrintable(QString("trial %1 unknown %2: %3 vs %4")
                                          .arg(trial).arg(k).arg(got[k], 0, 'g', 17).arg(ref[k], 0, 'g', 17)));
        }
    }
}

void TestLuSolver::singular_data()
{
    QTest::addColumn<Matrix>("m");
    QTest::addColumn<std::vector<double>>("b");
    QTest::newRow("dependent rows, consistent") << Matrix{{1, 2}, {2, 4}} << std::vector<double>{1, 2};
    QTest::newRow("dependent rows, inconsistent") << Matrix{{1, 2}, {2, 4}} << std::vector<double>{1, 3};
    QTest::newRow("all zero") << Matrix{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}} << std::vector<double>{0, 0, 0};
    QTest::newRow("zero column") << Matrix{{0, 1, 2}, {0, 3, 1}, {0, 1, 1}} << std::vector<double>{1, 2, 3};
}

void TestLuSolver::singular()
{
    QFETCH(Matrix, m);
    QFETCH(std::vector<double>, b);
    const std::vector<double> x = solveFlat(m, b);
    bool anyNonFinite = false;
    for (double v : x)
        anyNonFinite = anyNonFinite || !std::isfinite(v);
    QVERIFY(anyNonFinite);
}

void TestLuSolver::emptySystem()
{
    double x = 42.0;
    double b = 1.0;
    int perm = -7;
    LuSolver::solve(0, nullptr, &b, &perm, &x);
    QCOMPARE(x, 42.0);
    QCOMPARE(perm, -7);
}

void TestLuSolver::fixedSystem()
{
    FixedLuSystem<3> s;
    const double m[3][3] = {{0, 2, 1}, {1, 1, 1}, {2, 1, 3}};
    const double want[3] = {1, -1, 2};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            s.a[r][c] = m[r][c];
            s.b[r] += m[r][c] * want[c];
        }
    }
    double x[3];
    s.solve(x);
    for (int k = 0; k < 3; ++k)
        QVERIFY(std::fabs(x[k] - want[k]) < 1e-14);
}

void TestLuSolver::reusedSystem()
{
    // A large system first, then a smaller one: stale entries of the larger
    // one must not leak into the smaller solve, nor the reverse.
    LuSystem sys;
    for (int n : {5, 2, 4, 1, 5}) {
        sys.reset(n);
        QCOMPARE(sys.size(), n);
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c)
                QCOMPARE(sys.a(r, c), 0.0);
            QCOMPARE(sys.b(r), 0.0);
        }
        for (int r = 0; r < n; ++r) {
            sys.a(r, r) = r + 2.0;
            if (r + 1 < n)
                sys.a(r, r + 1) = 1.0;
        }
        // Unknowns 1, 2, ..., n.
        for (int r = 0; r < n; ++r)
            sys.b(r) = (r + 2.0) * (r + 1) + (r + 1 < n ? r + 2.0 : 0.0);
        const double* x = sys.solve();
        for (int k = 0; k < n; ++k)
            QVERIFY2(std::fabs(x[k] - (k + 1)) < 1e-12, qPrintable(QString("n %1 unknown %2 = %3").arg(n).arg(k).arg(x[k])));
    }
}

QTEST_APPLESS_MAIN(TestLuSolver)
#include "tst_lusolver.moc"
