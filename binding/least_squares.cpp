#include "binding/least_squares.h"

#include <cmath>
#include <limits>

#include <Eigen/Core>
#include <Eigen/QR>
#include <Eigen/SVD>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <unsupported/Eigen/NonLinearOptimization>

namespace lumo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Far below what the data can tell apart, so the estimates are as exact as double precision
// lets them be; the solver reports when even this cannot be met, which is a minimum too.
constexpr double kTolerance = 1e-12;
// A Jacobian whose columns, scaled to unit length, are this close to dependent does not fix
// its parameters: their standard errors would be noise.
constexpr double kMinReciprocalCondition = 1e-10;

// The residuals model − y and their Jacobian, as Eigen's solver asks for them.
class Residuals {
  public:
    using Scalar = double;
    enum { InputsAtCompileTime = Eigen::Dynamic, ValuesAtCompileTime = Eigen::Dynamic };
    using InputType = Eigen::VectorXd;
    using ValueType = Eigen::VectorXd;
    using JacobianType = Eigen::MatrixXd;

    Residuals(const CurveModel& model, std::span<const double> x, std::span<const double> y)
        : m_model(model), m_x(x), m_y(y), m_gradient(static_cast<size_t>(model.parameterCount)) {}

    int inputs() const { return m_model.parameterCount; }
    int values() const { return static_cast<int>(m_x.size()); }

    int operator()(const Eigen::VectorXd& p, Eigen::VectorXd& r) {
        for (Eigen::Index i = 0; i < r.size(); ++i) {
            const auto k = static_cast<size_t>(i);
            double value = 0.0;
            m_model.evaluate(p.data(), m_x[k], &value, m_gradient.data());
            r[i] = value - m_y[k];
        }
        return 0;
    }

    int df(const Eigen::VectorXd& p, Eigen::MatrixXd& jacobian) {
        for (Eigen::Index i = 0; i < jacobian.rows(); ++i) {
            double value = 0.0;
            m_model.evaluate(p.data(), m_x[static_cast<size_t>(i)], &value, m_gradient.data());
            for (Eigen::Index j = 0; j < jacobian.cols(); ++j) {
                jacobian(i, j) = m_gradient[static_cast<size_t>(j)];
            }
        }
        return 0;
    }

  private:
    const CurveModel& m_model;
    std::span<const double> m_x;
    std::span<const double> m_y;
    std::vector<double> m_gradient;
};

bool AllFinite(const Eigen::VectorXd& v) {
    return v.allFinite();
}

// The covariance SS/df · (JᵀJ)⁻¹, through the singular values of the Jacobian with unit
// columns so that parameters of very different size are judged alike. False when the
// Jacobian has not full rank. The singular values and right vectors are taken from the small
// triangular factor R of J = QR, which has the same ones: an SVD of the tall Jacobian itself
// costs more than the whole fit on thousands of points.
bool Covariance(Eigen::MatrixXd& jacobian, double scale, Eigen::MatrixXd& covariance) {
    const Eigen::VectorXd norms = jacobian.colwise().norm();
    if (!norms.allFinite() || (norms.array() <= 0.0).any()) return false;
    jacobian.array().rowwise() /= norms.transpose().array();
    const Eigen::Index k = jacobian.cols();
    const Eigen::HouseholderQR<Eigen::Ref<Eigen::MatrixXd>> qr(jacobian);
    const Eigen::MatrixXd r = qr.matrixQR().topRows(k).triangularView<Eigen::Upper>();
    const Eigen::JacobiSVD<Eigen::MatrixXd> svd(r, Eigen::ComputeFullV);
    const Eigen::VectorXd& sigma = svd.singularValues();
    const double largest = sigma[0];
    const double smallest = sigma[sigma.size() - 1];
    if (!(largest > 0.0) || !(smallest / largest >= kMinReciprocalCondition)) return false;
    const Eigen::MatrixXd& v = svd.matrixV();
    const Eigen::MatrixXd inverse =
        v * sigma.array().square().inverse().matrix().asDiagonal() * v.transpose();
    const Eigen::VectorXd unscale = norms.cwiseInverse();
    covariance = scale * (unscale.asDiagonal() * inverse * unscale.asDiagonal());
    return covariance.allFinite();
}

}  // namespace

bool CurveFit::Determined() const {
    if (!HasErrors()) return false;
    for (size_t j = 0; j < parameters.size(); ++j) {
        if (!(standardErrors[j] <= std::abs(parameters[j]))) return false;
    }
    return true;
}

double TQuantile975(int df) {
    if (df < 1) return kNaN;
    const boost::math::students_t dist(static_cast<double>(df));
    return boost::math::quantile(dist, 0.975);
}

double FUpperTail(double f, int df1, int df2) {
    if (df1 < 1 || df2 < 1 || std::isnan(f)) return kNaN;
    if (f <= 0.0) return 1.0;
    if (std::isinf(f)) return 0.0;
    const boost::math::fisher_f dist(static_cast<double>(df1), static_cast<double>(df2));
    return boost::math::cdf(boost::math::complement(dist, f));
}

CurveFit FitCurve(const CurveModel& model, std::span<const double> x, std::span<const double> y,
                  std::span<const double> start, int maxEvaluations) {
    CurveFit fit;
    const int k = model.parameterCount;
    const int n = static_cast<int>(x.size());
    fit.parameters.assign(start.begin(), start.end());
    fit.df = n - k;
    if (k < 1 || model.evaluate == nullptr || static_cast<int>(start.size()) != k ||
        y.size() != x.size() || n < k) {
        return fit;
    }
    Eigen::VectorXd p(k);
    for (int j = 0; j < k; ++j) p[j] = start[static_cast<size_t>(j)];
    if (!AllFinite(p)) return fit;

    Residuals residuals(model, x, y);
    Eigen::VectorXd r(n);
    residuals(p, r);
    if (!r.allFinite()) {
        fit.outcome = FitOutcome::kNotFinite;
        return fit;
    }

    Eigen::LevenbergMarquardt<Residuals> lm(residuals);
    lm.parameters.ftol = kTolerance;
    lm.parameters.xtol = kTolerance;
    lm.parameters.gtol = 0.0;
    lm.parameters.maxfev = maxEvaluations;
    const auto status = lm.minimize(p);
    fit.iterations = static_cast<int>(lm.iter);
    for (int j = 0; j < k; ++j) fit.parameters[static_cast<size_t>(j)] = p[j];

    namespace lms = Eigen::LevenbergMarquardtSpace;
    residuals(p, r);
    fit.ss = r.squaredNorm();
    if (status == lms::TooManyFunctionEvaluation) {
        fit.outcome = FitOutcome::kIterationLimit;
    } else if (status == lms::ImproperInputParameters || status == lms::UserAsked) {
        fit.outcome = FitOutcome::kBadInput;
    } else if (!AllFinite(p) || !std::isfinite(fit.ss)) {
        fit.outcome = FitOutcome::kNotFinite;
    } else {
        fit.outcome = FitOutcome::kConverged;
    }
    if (!fit.Converged()) return fit;

    double mean = 0.0;
    for (const double v : y) mean += v;
    mean /= static_cast<double>(n);
    double total = 0.0;
    for (const double v : y) total += (v - mean) * (v - mean);
    fit.rSquared = total > 0.0 ? 1.0 - fit.ss / total : kNaN;
    if (fit.df < 1) {
        fit.syx = kNaN;
        return fit;
    }
    fit.syx = std::sqrt(fit.ss / fit.df);

    Eigen::MatrixXd jacobian(n, k);
    residuals.df(p, jacobian);
    Eigen::MatrixXd covariance;
    if (!jacobian.allFinite() || !Covariance(jacobian, fit.ss / fit.df, covariance)) {
        fit.singular = true;
        return fit;
    }
    const double t = TQuantile975(fit.df);
    for (int j = 0; j < k; ++j) {
        const double se = std::sqrt(covariance(j, j));
        const double estimate = p[j];
        fit.standardErrors.push_back(se);
        fit.ciLower.push_back(estimate - t * se);
        fit.ciUpper.push_back(estimate + t * se);
    }
    return fit;
}

}  // namespace lumo
