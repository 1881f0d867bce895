// The t and F probabilities and the critical-value tables: known values, the tables against
// the functions, and the functions against Boost.Math as an independent implementation.
#include <gtest/gtest.h>

#include <boost/math/distributions/cauchy.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "stats/probability.h"
#include "stats/statistical_tables.h"

namespace lumo {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kAlpha[kTTableLevels] = {0.50, 0.25, 0.10, 0.05, 0.025, 0.01, 0.005, 0.0025};

TEST(ProbT, KnownValues) {
    for (int df = 1; df <= 60; ++df) EXPECT_DOUBLE_EQ(ProbTLower(df, 0.0), 0.5) << df;
    // The series take 1/pi and 2/pi as 0.3183098861837697 and 0.6366197723675394, which are a
    // few units in the 14th digit short; exact results are met to that precision.
    EXPECT_NEAR(ProbTLower(1, 1.0), 0.75, 1e-13);  // Cauchy: 1/2 + atan(1)/pi
    EXPECT_DOUBLE_EQ(ProbTLower(2, 1.0), 0.5 * (1.0 + 1.0 / std::sqrt(3.0)));
    EXPECT_NEAR(ProbTUpper(31, 2.04), 0.02497, 5e-6);
    EXPECT_NEAR(ProbTUpper(40, 1.684), 0.04999, 5e-6);
    // Symmetry, on both parities.
    for (int df : {1, 2, 7, 30, 31, 150}) {
        for (double t : {0.3, 1.7, 4.0, 25.0}) {
            EXPECT_NEAR(ProbTLower(df, -t), ProbTUpper(df, t), 1e-15) << df << " " << t;
        }
    }
}

TEST(ProbT, NonFiniteAndOutOfRangeArguments) {
    for (int df : {1, 2, 3, 4, 31}) {
        EXPECT_NEAR(ProbTUpper(df, kInf), 0.0, 1e-13) << df;
        EXPECT_NEAR(ProbTUpper(df, -kInf), 1.0, 1e-13) << df;
        EXPECT_NEAR(ProbTUpper(df, 1e200), 0.0, 1e-13) << df;  // t^2 overflows
        EXPECT_TRUE(std::isnan(ProbTUpper(df, kNaN))) << df;
    }
    EXPECT_TRUE(std::isnan(ProbTLower(0, 1.0)));
    EXPECT_TRUE(std::isnan(ProbTUpper(-3, 1.0)));
}

TEST(ProbF, KnownValues) {
    EXPECT_NEAR(ProbFUpper(1, 1, 1.0), 0.5, 1e-13);
    EXPECT_DOUBLE_EQ(ProbFUpper(2, 2, 1.0), 0.5);
    EXPECT_DOUBLE_EQ(ProbFUpper(2, 7, 3.0), std::pow(1.0 / (1.0 + 3.0 * 2.0 / 7.0), 3.5));
    // Odd numerator, even denominator: the swapped series.
    EXPECT_DOUBLE_EQ(ProbFUpper(3, 4, 2.5), 1.0 - ProbFUpper(4, 3, 0.4));
    EXPECT_NEAR(ProbFUpper(3, 4, 2.5), 0.19853, 5e-6);
    // Upper 2.5% points of F.
    EXPECT_NEAR(ProbFUpper(3, 3, 15.439), 0.0250, 5e-5);
    EXPECT_NEAR(ProbFUpper(10, 10, 3.717), 0.0250, 5e-5);
    EXPECT_NEAR(ProbFUpper(1, 30, 5.568), 0.0250, 5e-5);
}

TEST(ProbF, NonPositiveOrNotANumberRatioGivesOne) {
    for (int df1 : {1, 2, 5, 8}) {
        for (int df2 : {1, 4, 9}) {
            EXPECT_EQ(ProbFUpper(df1, df2, 0.0), 1.0);
            EXPECT_EQ(ProbFUpper(df1, df2, -2.5), 1.0);
            EXPECT_EQ(ProbFUpper(df1, df2, -kInf), 1.0);
            EXPECT_EQ(ProbFUpper(df1, df2, kNaN), 1.0);
            // An infinite ratio, as one group without spread gives it, has no upper tail.
            EXPECT_NEAR(ProbFUpper(df1, df2, kInf), 0.0, 1e-15) << df1 << " " << df2;
        }
    }
    EXPECT_TRUE(std::isnan(ProbFUpper(0, 3, 1.0)));
    EXPECT_TRUE(std::isnan(ProbFUpper(3, 0, 1.0)));
}

TEST(StatisticalTables, TTableIsMonotoneAndMatchesItsLevels) {
    for (int r = 0; r < kTTableMaxDf; ++r) {
        for (int j = 1; j < kTTableLevels; ++j) EXPECT_LT(kTTable[r][j - 1], kTTable[r][j]);
        if (r > 0) {
            for (int j = 0; j < kTTableLevels; ++j) EXPECT_LT(kTTable[r][j], kTTable[r - 1][j]);
        }
    }
    // The table's own last figures stand as printed, odd ones included.
    EXPECT_EQ(kTTable[0][7], 254.64);
    EXPECT_EQ(kTTable[2][3], 3.1825);
    EXPECT_EQ(kTTable[14][3], 2.1315);
    EXPECT_EQ(kTTable[29][7], 3.3);
}

// The exact upper alpha/2 point lies within the table's five significant figures: a few cells
// are one unit off strict rounding, so two units of the last figure bound every cell.
TEST(StatisticalTables, TTableAgreesWithTheTProbability) {
    for (int df = 1; df <= kTTableMaxDf; ++df) {
        for (int j = 0; j < kTTableLevels; ++j) {
            const double t = kTTable[df - 1][j];
            const double unit = std::pow(10.0, std::floor(std::log10(t)) - 4.0);
            const double half = kAlpha[j] / 2.0;
            EXPECT_LT(ProbTUpper(df, t + 2.0 * unit), half) << "df " << df << " column " << j;
            EXPECT_GT(ProbTUpper(df, t - 2.0 * unit), half) << "df " << df << " column " << j;
        }
    }
}

TEST(StatisticalTables, LabelsAndRejectionTable) {
    const std::vector<std::string> labels = {"    0.50  ",  "    0.25  ", "    0.10  ",
                                             "  *0.05  ",   "  *0.025  ", "    0.01  ",
                                             "    0.005  ", "    0.0025"};
    for (int j = 0; j < kTTableLevels; ++j) EXPECT_EQ(kAlphaLabels[j], labels[j]);
    // The starred labels are the 5% column the tests decide on and the next one.
    EXPECT_EQ(std::string(kAlphaLabels[kTTableDecisionColumn]), "  *0.05  ");

    constexpr int rows = kRejectionMaxN - kRejectionMinN + 1;
    EXPECT_EQ(rows, 16);
    for (int r = 0; r < rows; ++r) {
        EXPECT_GT(kRejectionTable[r][0], kRejectionTable[r][1]) << r;
        if (r > 0) {
            EXPECT_GT(kRejectionTable[r][0], kRejectionTable[r - 1][0]) << r;
            EXPECT_GT(kRejectionTable[r][1], kRejectionTable[r - 1][1]) << r;
        }
        // T with divisor N cannot exceed sqrt(N - 1).
        EXPECT_LE(kRejectionTable[r][0], std::sqrt(r + kRejectionMinN - 1.0)) << r;
    }
    EXPECT_EQ(kRejectionTable[0][0], 1.414);
    EXPECT_EQ(kRejectionTable[2][1], 1.869);
    EXPECT_EQ(kRejectionTable[15][1], 2.577);
}

// Degrees of freedom 1 to 200 (all of them for t; both parities, small, at the table's edge
// and large for F) and statistics from near 0 out to the far tail.
std::vector<double> Statistics() {
    std::vector<double> values = {1e-12, 1e-8, 1e-4, 0.01, 0.05, 0.1, 0.25, 0.5, 0.75, 0.9, 1.0,
                                  1.1,   1.25, 1.5,  1.96, 2.0,  2.5, 3.0,  4.0, 5.0,  7.5, 10.0,
                                  15.0,  20.0, 40.0, 1e2,  1e3,  1e4, 1e6,  1e9, 1e15, 1e30};
    return values;
}

std::vector<int> FDegreesOfFreedom() {
    std::vector<int> dfs;
    for (int df = 1; df <= 12; ++df) dfs.push_back(df);
    for (int df :
         {15, 16, 29, 30, 31, 32, 47, 50, 63, 64, 99, 100, 101, 127, 150, 151, 198, 199, 200}) {
        dfs.push_back(df);
    }
    return dfs;
}

TEST(ProbTOracle, AgreesWithBoostStudentsT) {
    double worst = 0.0;
    for (int df = 1; df <= 200; ++df) {
        const boost::math::students_t dist(df);
        // Boost's students_t loses some eleven digits near t = 0 with one degree of freedom;
        // that distribution is the standard Cauchy, whose cdf Boost takes from the arc tangent.
        const boost::math::cauchy cauchy;
        for (const double magnitude : Statistics()) {
            for (const double t : {magnitude, -magnitude}) {
                const double upper =
                    df == 1 ? cdf(complement(cauchy, t)) : cdf(complement(dist, t));
                const double lower = df == 1 ? cdf(cauchy, t) : cdf(dist, t);
                const double errUpper = std::fabs(ProbTUpper(df, t) - upper);
                const double errLower = std::fabs(ProbTLower(df, t) - lower);
                EXPECT_LE(errUpper, 1e-12) << "df " << df << " t " << t;
                EXPECT_LE(errLower, 1e-12) << "df " << df << " t " << t;
                worst = std::max({worst, errUpper, errLower});
            }
        }
    }
    RecordProperty("worst", std::to_string(worst));
}

TEST(ProbFOracle, AgreesWithBoostFisherF) {
    const std::vector<int> dfs = FDegreesOfFreedom();
    double worst = 0.0;
    for (const int df1 : dfs) {
        for (const int df2 : dfs) {
            const boost::math::fisher_f dist(df1, df2);
            for (const double f : Statistics()) {
                const double err = std::fabs(ProbFUpper(df1, df2, f) - cdf(complement(dist, f)));
                EXPECT_LE(err, 1e-12) << "df1 " << df1 << " df2 " << df2 << " f " << f;
                worst = std::max(worst, err);
            }
        }
    }
    // Every numerator with a few denominators, so that each df1 from 1 to 200 is visited.
    for (int df1 = 1; df1 <= 200; ++df1) {
        for (const int df2 : {1, 2, 3, 30, 31, 200}) {
            const boost::math::fisher_f dist(df1, df2);
            for (const double f : {0.2, 1.0, 3.0, 50.0}) {
                EXPECT_NEAR(ProbFUpper(df1, df2, f), cdf(complement(dist, f)), 1e-12)
                    << "df1 " << df1 << " df2 " << df2 << " f " << f;
                EXPECT_NEAR(ProbFUpper(df2, df1, f),
                            cdf(complement(boost::math::fisher_f(df2, df1), f)), 1e-12)
                    << "df1 " << df2 << " df2 " << df1 << " f " << f;
            }
        }
    }
    RecordProperty("worst", std::to_string(worst));
}

}  // namespace
}  // namespace lumo
