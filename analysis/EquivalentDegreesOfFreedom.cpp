#include "analysis/EquivalentDegreesOfFreedom.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace analysis {

namespace {

constexpr double kInfinite = std::numeric_limits<double>::infinity();
// Beyond this many lags the sum gives way to the large-r formula of the tables.
constexpr double kMaxLags = 100.0;

// What the covariance s_z of the estimator's terms depends on: the filter factor F
// (infinite: the limit of a long unmodified average), the noise and the order d.
struct Filter {
    double F;
    int alpha;
    int d;
};

// The generalised autocovariance of the phase for S_y ~ f^alpha, up to a factor.
long double Sw(long double t, int alpha)
{
    const long double a = std::fabs(t);
    switch (alpha) {
    case 2:
        return -a;
    case 1:
        return a == 0 ? 0.0L : a * a * std::log(a);
    case 0:
        return a * a * a;
    case -1:
        return a == 0 ? 0.0L : a * a * a * a * std::log(a);
    default:
        return a * a * a * a * a;
    }
}

long double Sx(long double t, const Filter& f)
{
    if (std::isinf(f.F))
        return Sw(t, f.alpha + 2);
    const long double step = 1.0L / f.F;
    return static_cast<long double>(f.F) * f.F * (2 * Sw(t, f.alpha) - Sw(t - step, f.alpha) - Sw(t + step, f.alpha));
}

long double Sz(long double t, const Filter& f)
{
    long double sum = 0.0L;
    long double weight = 1.0L;  // binomial (2d, d + k), signs alternating
    for (int k = 1; k <= f.d; ++k)
        weight = weight * (f.d + k) / k;
    for (int k = 0; k <= f.d; ++k) {
        const long double signedWeight = k % 2 == 0 ? weight : -weight;
        sum += signedWeight * (k == 0 ? Sx(t, f) : Sx(t - k, f) + Sx(t + k, f));
        weight = weight * (f.d - k) / (f.d + k + 1);
    }
    return sum;
}

long double Squared(long double v) { return v * v; }

// s_z(0)^2 + 2 sum_{j=1}^{J-1} (1 - j/M) s_z(j/S)^2 + (1 - J/M) s_z(J/S)^2
long double BasicSum(double J, double M, double S, const Filter& f)
{
    long double sum = Squared(Sz(0, f)) + (1 - J / M) * Squared(Sz(J / S, f));
    for (double j = 1; j < J; ++j)
        sum += 2 * (1 - j / M) * Squared(Sz(j / S, f));
    return sum;
}

double FromBasicSum(double J, double M, double S, const Filter& f, long double norm)
{
    return static_cast<double>(norm * M / BasicSum(J, M, S, f));
}

double FromBasicSum(double J, double M, double S, const Filter& f)
{
    return FromBasicSum(J, M, S, f, Squared(Sz(0, f)));
}

struct Coefficients {
    double first;
    double second;
};

constexpr Coefficients kNone{std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};

// The large-r coefficients a0, a1 of 1/edf = (a0 - a1/r)/r, rows alpha = 2 ... -2,
// columns d = 1 ... 3: a0 and a1 are the integrals of s_z(t)^2 and |t| s_z(t)^2 over
// |t| <= d + 1, divided by s_z(0)^2. Table 1 for F = 1 (modified).
constexpr Coefficients kModifiedTable[5][3] = {
    {{2.0 / 3, 1.0 / 3}, {7.0 / 9, 1.0 / 2}, {22.0 / 25, 2.0 / 3}},
    {{0.840, 0.345}, {0.997, 0.616}, {1.141, 0.843}},
    {{1.079, 0.368}, {1.033, 0.607}, {1.184, 0.848}},
    {kNone, {1.048, 0.534}, {1.180, 0.816}},
    {kNone, {1.302, 0.535}, {1.175, 0.777}},
};
// Table 2 for F infinite (unmodified; alpha = 2 is the large-r limit of the closed form
// below; for alpha = 1 not divided by s_z(0)^2, which grows with m: Table 3 gives it as
// (b0 + b1 ln m)^2).
constexpr Coefficients kUnmodifiedTable[5][3] = {
    {{3.0 / 2, 1.0 / 2}, {35.0 / 18, 1.0}, {231.0 / 100, 3.0 / 2}},
    {{78.6, 25.2}, {790.0, 410.0}, {9950.0, 6520.0}},
    {{2.0 / 3, 1.0 / 6}, {2.0 / 3, 1.0 / 3}, {7.0 / 9, 1.0 / 2}},
    {kNone, {0.852, 0.375}, {0.997, 0.617}},
    {kNone, {1.079, 0.368}, {1.033, 0.607}},
};
constexpr Coefficients kFlickerPhaseNorm[3] = {{6.0, 4.0}, {15.23, 12.0}, {47.8, 40.0}};

double FromTable(const Coefficients& c, double r) { return r / (c.first - c.second / r); }

double BinomialSquared(int n, int k)
{
    const double c = std::round(std::exp(std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0)));
    return c * c;
}

// The estimator over N phase points: stride factor S, M terms, J lags summed, r = M / S.
struct Layout {
    double m, S, M, J, r;
};

double Modified(const Layout& g, int alpha, int d)
{
    const Filter f{1.0, alpha, d};
    if (g.J <= kMaxLags)
        return FromBasicSum(g.J, g.M, g.S, f);
    if (g.r >= d + 1)
        return FromTable(kModifiedTable[2 - alpha][d - 1], g.r);
    return FromBasicSum(kMaxLags, kMaxLags, kMaxLags / g.r, f);
}

double UnmodifiedFrequencyNoise(const Layout& g, int alpha, int d)
{
    if (g.J <= kMaxLags)
        return FromBasicSum(g.J, g.M, g.S, {g.m * (d + 1) <= kMaxLags ? g.m : kInfinite, alpha, d});
    if (g.r >= d + 1)
        return FromTable(kUnmodifiedTable[2 - alpha][d - 1], g.r);
    return FromBasicSum(kMaxLags, kMaxLags, kMaxLags / g.r, {kInfinite, alpha, d});
}

double UnmodifiedFlickerPhase(const Layout& g, int d)
{
    if (g.J <= kMaxLags)
        return FromBasicSum(g.J, g.M, g.S, {g.m, 1, d});
    const Coefficients& b = kFlickerPhaseNorm[d - 1];
    const long double norm = Squared(b.first + b.second * std::log(g.m));
    if (g.r >= d + 1)
        return static_cast<double>(norm * FromTable(kUnmodifiedTable[1][d - 1], g.r));
    const double shortM = kMaxLags / g.r;
    return FromBasicSum(kMaxLags, kMaxLags, shortM, {shortM, 1, d}, norm);
}

// White phase noise touches only lags that are whole multiples of S: a closed form.
double UnmodifiedWhitePhase(const Layout& g, int d)
{
    const double centre = BinomialSquared(2 * d, d);
    const int lags = std::min(d, static_cast<int>(std::ceil(g.r)) - 1);
    double inverse = 1.0;
    for (int k = 1; k <= lags; ++k)
        inverse += 2 * (1 - k / g.r) * BinomialSquared(2 * d, d - k) / centre;
    return g.M / inverse;
}

}  // namespace

uint64_t TermCount(VarianceEstimator estimator, size_t m, size_t phasePoints)
{
    if (m == 0)
        return 0;
    const double md = static_cast<double>(m);
    const double filterFactor = estimator.modified ? 1.0 : md;
    const double stride = estimator.overlapping ? md : 1.0;
    const double length = md / filterFactor + md * estimator.d;
    const double n = static_cast<double>(phasePoints);
    if (n < length)
        return 0;
    return static_cast<uint64_t>(1 + std::floor(stride * (n - length) / md));
}

std::optional<double> EquivalentDegreesOfFreedom(NoiseType noise, VarianceEstimator estimator,
                                                 size_t m, size_t phasePoints)
{
    const int alpha = Alpha(noise);
    const int d = estimator.d;
    const uint64_t terms = TermCount(estimator, m, phasePoints);
    if (terms == 0 || d < 1 || d > 3 || alpha + 2 * d <= 1)
        return std::nullopt;
    Layout g{};
    g.m = static_cast<double>(m);
    g.S = estimator.overlapping ? g.m : 1.0;
    g.M = static_cast<double>(terms);
    g.J = std::min(g.M, (d + 1) * g.S);
    g.r = g.M / g.S;
    const double edf = estimator.modified ? Modified(g, alpha, d)
                       : alpha <= 0       ? UnmodifiedFrequencyNoise(g, alpha, d)
                       : alpha == 1       ? UnmodifiedFlickerPhase(g, d)
                                          : UnmodifiedWhitePhase(g, d);
    if (!std::isfinite(edf) || edf <= 0)
        return std::nullopt;
    return edf;
}

}  // namespace analysis
