#pragma once

#include <vector>

// EdgeNormalization for the spectra of several blocks at once that share
// their energies (a tile of BlockSpectra): each lane gets, to the bit, what
// EdgeNormalization::compute gives its spectrum alone, but the lanes are
// worked out side by side on SIMD vectors (half-height energy, the sums of
// both background fits, the sampled lines, e0 and the normalised values),
// and only what differs in its flow per lane (the crossing that sets the
// half-height energy, solving the small fit systems, the jump) goes lane by
// lane. Every instruction set gives the same bits. One per thread; compute()
// allocates nothing once the largest spectrum has been seen.
class LaneNormalization
{
public:
    static constexpr int lanes = 8;

    // What the vector code fills; n points of every lane, point by point
    // (value of lane l at point i at [i * lanes + l]).
    struct Work {
        const double* e = nullptr;
        const double* mu = nullptr;
        int n = 0;
        bool victoreen = false;
        bool sampled = false;   // both lines fitted (enough points for the form)
        double* pre = nullptr;
        double* post = nullptr;
        double* dnpb = nullptr;
        double jump[lanes] = {};
        double e0[lanes] = {};
        double eh[lanes] = {};   // the half-height energy that placed the windows
    };

    // Normalises the lanes of the n points: energies e[i] shared, values
    // mu[i * lanes + l]. n = 0 leaves jumps 0 and no values.
    void compute(const double* e, const double* mu, int n, bool victoreen);

    double jump(int lane) const { return m_work.jump[lane]; }
    double e0(int lane) const { return m_work.e0[lane]; }
    double halfHeight(int lane) const { return m_work.eh[lane]; }
    // The midline between the two lines of a lane at point i, as
    // EdgeNormalization::midlineAt.
    double midlineAt(int lane, int i) const
    {
        if (!m_work.sampled)
            return 0.0;
        const std::size_t k = std::size_t(i) * lanes + std::size_t(lane);
        const double p = m_pre[k];
        return p + (m_post[k] - p) / 2.0;
    }
    // (mu - pre) / (post - pre), laid out as mu.
    const double* doubleNormalizedPreBase() const { return m_dnpb.data(); }
    // The lines of a lane at energy x, as EdgeNormalization's.
    double preValueAt(int lane, double x) const { return lineAt(m_pre, lane, x); }
    double postValueAt(int lane, double x) const { return lineAt(m_post, lane, x); }

private:
    double lineAt(const std::vector<double>& line, int lane, double x) const;

    Work m_work;
    std::vector<double> m_e;
    std::vector<double> m_pre;
    std::vector<double> m_post;
    std::vector<double> m_dnpb;
};
