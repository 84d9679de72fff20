#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <pybind11/stl.h>

#include "cdf_quantile/binomial_table.hpp"
#include "cdf_quantile/cdf_discrete.hpp"
#include "cdf_quantile/quantile_discrete.hpp"
#include "module/lane_choice.hpp"
#include "num/blocks.hpp"
#include "num/log_gamma.hpp"
#include "testkit.hpp"

namespace py = pybind11;

namespace testkit {

namespace {

using pradix::cdf_quantile::BinomialTable;
using pradix::density::BinomialMass;
using pradix::num::lanes::Table;

// Makes the named lane target the active one for a scope (the test kit has
// the scalar table active otherwise).
class ActiveTarget {
public:
    explicit ActiveTarget(const std::string& name) : saved_(pradix::num::lanes::active) {
        for (std::size_t i = 0; i < pradix::lanes_choice::count(); ++i) {
            if (name == pradix::lanes_choice::target(i).name) {
                if (!pradix::lanes_choice::runs(i)) throw py::value_error("lane target not run here: " + name);
                pradix::num::lanes::active = &pradix::lanes_choice::target(i);
                return;
            }
        }
        throw py::value_error("no lane target " + name);
    }
    ~ActiveTarget() { pradix::num::lanes::active = saved_; }
    ActiveTarget(const ActiveTarget&) = delete;
    ActiveTarget& operator=(const ActiveTarget&) = delete;

private:
    const Table* saved_;
};

BinomialTable table_of(std::int64_t n, double prob) {
    if (n < 2 || !(prob > 0.0 && prob < 1.0)) throw py::value_error("n >= 2 and 0 < prob < 1");
    return BinomialTable(BinomialMass::prepare(n, prob, false), n);
}

py::array_t<double> doubles(const std::vector<double>& v) { return py::array_t<double>(v.size(), v.data()); }

// Evaluates points whose parameters vary as a per-point driver of the
// element loop would: a preparation per run of equal parameters, evaluated
// alone (at(x)) or with one table of log-gammas for the whole call.
template <class Prep, class X>
py::array_t<double> per_point(const std::string& target, const std::vector<X>& x, const std::vector<std::int64_t>& n,
                              const std::vector<double>& prob, bool shared, bool flag) {
    const ActiveTarget scope(target);
    typename Prep::Shared table;
    std::vector<double> out(x.size());
    std::unique_ptr<Prep> prep;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (i == 0 || n[i] != n[i - 1] || prob[i] != prob[i - 1]) {
            if constexpr (std::is_same_v<Prep, pradix::cdf_quantile::BinomialQuantile>) {
                (void)flag;
                prep = std::make_unique<Prep>(Prep::prepare(n[i], prob[i]));
            } else {
                prep = std::make_unique<Prep>(Prep::prepare(n[i], prob[i], flag));
            }
        }
        out[i] = shared ? prep->at(x[i], table) : prep->at(x[i]);
    }
    return doubles(out);
}

}  // namespace

void expose_discrete(py::module_& m) {
    // lgamma of each element through lgamma_n on a named lane target.
    m.def("lgamma_n", [](const std::string& target, py::array_t<double, py::array::c_style | py::array::forcecast> x) {
        const ActiveTarget scope(target);
        std::vector<double> out(static_cast<std::size_t>(x.size()));
        pradix::num::lgamma_n(x.data(), out.data(), out.size());
        return doubles(out);
    });
    // The masses of first .. first + count - 1 as a table computes them (the
    // log-masses of the run, then exp, on a named lane target), and the
    // log-masses alone.
    m.def("binomial_run", [](const std::string& target, std::int64_t n, double prob, std::int64_t first,
                             std::size_t count, bool log) {
        const ActiveTarget scope(target);
        const BinomialMass mass = BinomialMass::prepare(n, prob, false);
        std::vector<double> s(count);
        std::vector<double> out(count);
        mass.log_masses(first, count, s.data());
        if (log) return doubles(s);
        pradix::num::exp_n(s.data(), out.data(), count);
        return doubles(out);
    });
    // m_top + m_(top-1) + ... + m_low, every mass the scalar dbinom, added
    // from the top without any early end: the reference of the sums.
    def_kernel(m, "binomial_full_sum", [](std::int64_t top, std::int64_t low, std::int64_t n, double prob) {
        const BinomialMass mass = BinomialMass::prepare(n, prob, false);
        double sum = 0.0;
        for (std::int64_t k = top; k >= low; --k) sum = sum + mass.at(k);
        return sum;
    });
    // F(x) for each x through one table (the points in their order), or for
    // first .. first + count - 1 side by side (cdfs), on a named lane target.
    m.def("binomial_table_cdf", [](const std::string& target, std::int64_t n, double prob,
                                   const std::vector<std::int64_t>& x) {
        const ActiveTarget scope(target);
        BinomialTable table = table_of(n, prob);
        std::vector<double> out;
        for (const std::int64_t k : x) out.push_back(table.cdf(k));
        return doubles(out);
    });
    m.def("binomial_table_cdfs", [](const std::string& target, std::int64_t n, double prob, std::int64_t first,
                                    std::size_t count) {
        const ActiveTarget scope(target);
        BinomialTable table = table_of(n, prob);
        std::vector<double> out(count);
        table.cdfs(first, count, out.data());
        return doubles(out);
    });
    // The bounds behind the early ends: (delta, rising_end, falling_start),
    // and the quantile's bound of every F(j), j <= k, from f = F(k).
    m.def("binomial_bounds", [](std::int64_t n, double prob) {
        const BinomialTable table = table_of(n, prob);
        return py::make_tuple(table.log_mass_error(), table.rising_end(), table.falling_start());
    });
    m.def("binomial_bound_below", [](std::int64_t n, double prob, double f) {
        return table_of(n, prob).bound_below(f);
    });
    // dbinom, pbinom and qbinom over per-point parameters (see per_point).
    m.def("dbinom_points", &per_point<BinomialMass, std::int64_t>);
    m.def("pbinom_points", &per_point<pradix::cdf_quantile::BinomialCdf, std::int64_t>);
    m.def("qbinom_points", &per_point<pradix::cdf_quantile::BinomialQuantile, double>);
    // The one test of whether an addend can change a sum.
    def_kernel(m, "beyond_reach", [](double bound, double sum) {
        return pradix::cdf_quantile::binomial::beyond_reach(bound, sum);
    });
}

}  // namespace testkit
