#include "discover/search/zoops.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "base/words.h"
#include "discover/inputs/sequences.h"

namespace discover {

namespace {

constexpr std::uint8_t kOther = 4;

// Natural log of the background probability of letter `j` of `letters`
// (a run of bases from `runStart`), given up to `order` letters before it.
double letterLogProbability(const std::vector<std::uint8_t>& letters, std::size_t runStart, std::size_t j,
                            const MarkovModel& background, int order) {
  const std::size_t context = std::min(static_cast<std::size_t>(order), j - runStart);
  std::size_t code = 0;
  for (std::size_t i = j - context; i <= j; ++i) code = code * 4 + letters[i];
  const float p = background.tables.at(context + 1).at(code);
  ZK_CHECK(p > 0.0f, "the background model gives every word a probability above 0");
  return std::log(static_cast<double>(p));
}

void appendRecord(EmSample& sample, const std::string& record, const MarkovModel& background, int order) {
  const std::size_t first = sample.letters.size();
  for (char c : record) {
    const int b = base::baseIndex(c);
    sample.letters.push_back(b < 0 ? kOther : static_cast<std::uint8_t>(b));
  }
  std::size_t runStart = first;
  for (std::size_t j = first; j < sample.letters.size(); ++j) {
    double logP = 0;
    if (sample.letters[j] == kOther) {
      runStart = j + 1;
    } else {
      logP = letterLogProbability(sample.letters, runStart, j, background, order);
    }
    sample.backgroundPrefix.push_back(sample.backgroundPrefix.back() + logP);
  }
  sample.starts.push_back(sample.letters.size());
}

// A window of the motif: its first letter in the sample and its two scores.
struct Window {
  std::size_t start = 0;
  double forward = 0, reverse = 0;  // log-likelihood ratios against the background, then their weights
};

// The log-probabilities of a matrix on both strands, [position * 4 + base].
struct LogMatrix {
  std::vector<double> forward, reverse;
};

LogMatrix logMatrix(const std::vector<formats::Column>& p) {
  const std::size_t w = p.size();
  LogMatrix m{std::vector<double>(4 * w), std::vector<double>(4 * w)};
  for (std::size_t k = 0; k < w; ++k)
    for (std::size_t b = 0; b < 4; ++b) {
      m.forward[4 * k + b] = std::log(p[k][b]);
      m.reverse[4 * k + b] = std::log(p[w - 1 - k][3 - b]);  // the site read on the other strand
    }
  return m;
}

// The windows of sequence s free of other letters, with their log-likelihood ratios.
void scoreWindows(const EmSample& sample, std::size_t s, const LogMatrix& m, std::size_t w, bool bothStrands,
                  std::vector<Window>& windows) {
  windows.clear();
  const std::uint8_t* x = sample.letters.data();
  std::size_t runStart = sample.starts[s];
  for (std::size_t j = sample.starts[s]; j <= sample.starts[s + 1]; ++j) {
    if (j < sample.starts[s + 1] && x[j] != kOther) continue;
    for (std::size_t start = runStart; start + w <= j; ++start) {
      double f = 0, r = 0;
      for (std::size_t k = 0; k < w; ++k) {
        f += m.forward[4 * k + x[start + k]];
        r += m.reverse[4 * k + x[start + k]];
      }
      const double bg = sample.backgroundPrefix[start + w] - sample.backgroundPrefix[start];
      windows.push_back({start, f - bg, bothStrands ? r - bg : -INFINITY});
    }
    runStart = j + 1;
  }
}

// Posteriors below e^-30 of the no-site term add nothing a double can hold.
constexpr double kNegligible = -30.0;

// The E-step of one sequence: turns the windows' scores into weights
// lambda LR / (1 - gamma) and returns their sum.
double windowWeights(std::vector<Window>& windows, double gamma, int strands) {
  const double base = std::log(gamma / (strands * static_cast<double>(windows.size()))) - std::log1p(-gamma);
  double sum = 0;
  for (Window& win : windows)
    for (double* v : {&win.forward, &win.reverse}) {
      const double a = base + *v;
      *v = a > kNegligible ? std::exp(a) : 0.0;
      sum += *v;
    }
  return sum;
}

struct Expectation {
  std::vector<formats::Column> counts;
  double sites = 0;
  std::size_t sequences = 0;  // with a window
};

Expectation expectation(const std::vector<formats::Column>& p, double gamma, const EmSample& sample,
                        const ZoopsSettings& settings, std::vector<Window>& windows) {
  const std::size_t w = p.size();
  const LogMatrix m = logMatrix(p);
  Expectation e{std::vector<formats::Column>(w, formats::Column{}), 0.0, 0};
  const std::uint8_t* x = sample.letters.data();
  for (std::size_t s = 0; s < sample.size(); ++s) {
    scoreWindows(sample, s, m, w, settings.bothStrands, windows);
    if (windows.empty()) continue;
    ++e.sequences;
    const double sum = windowWeights(windows, gamma, settings.bothStrands ? 2 : 1);
    const double scale = 1.0 / (1.0 + sum);  // the posterior of a window is its weight times this
    e.sites += sum * scale;
    for (const Window& win : windows) {
      if (win.forward > 0)
        for (std::size_t k = 0; k < w; ++k) e.counts[k][x[win.start + k]] += win.forward * scale;
      if (win.reverse > 0)
        for (std::size_t k = 0; k < w; ++k) e.counts[k][3 - x[win.start + w - 1 - k]] += win.reverse * scale;
    }
  }
  return e;
}

std::vector<formats::Column> withPseudoCount(const std::vector<formats::Column>& counts,
                                             const std::array<double, formats::kBases>& background) {
  std::vector<formats::Column> p(counts.size());
  for (std::size_t k = 0; k < counts.size(); ++k) {
    double total = 1.0;
    for (double c : counts[k]) total += c;
    for (std::size_t b = 0; b < 4; ++b) p[k][b] = (counts[k][b] + background[b]) / total;
  }
  return p;
}

// Each column's frequencies raised to `power` and normalised: the ranking of
// the letters kept, their leaning made stronger.
std::vector<formats::Column> sharpened(std::vector<formats::Column> p, double power) {
  for (formats::Column& c : p) {
    double total = 0;
    for (double& v : c) total += (v = std::pow(v, power));
    for (double& v : c) v /= total;
  }
  return p;
}

double largestChange(const std::vector<formats::Column>& a, const std::vector<formats::Column>& b) {
  double most = 0;
  for (std::size_t k = 0; k < a.size(); ++k)
    for (std::size_t c = 0; c < 4; ++c) most = std::max(most, std::fabs(a[k][c] - b[k][c]));
  return most;
}

}  // namespace

std::size_t EmSample::longest() const {
  std::size_t most = 0;
  for (std::size_t s = 0; s < size(); ++s) most = std::max(most, starts[s + 1] - starts[s]);
  return most;
}

EmSample emSample(const std::vector<FastaRecord>& records, const MarkovModel& background, int order,
                  std::size_t maxLetters) {
  const std::size_t step = thinningStep(records, maxLetters);
  EmSample sample;
  sample.starts.push_back(0);
  sample.backgroundPrefix.push_back(0.0);
  for (std::size_t i = 0; i < records.size(); i += step) appendRecord(sample, records[i].letters, background, order);
  for (std::size_t b = 0; b < 4; ++b) sample.baseFrequencies[b] = background.tables.at(1).at(b);
  double sum = 0;
  for (double f : sample.baseFrequencies) sum += f;
  for (double& f : sample.baseFrequencies) f /= sum;
  return sample;
}

ZoopsResult refineZoops(const std::vector<formats::Column>& initialCounts, double gamma, const EmSample& sample,
                        const ZoopsSettings& settings) {
  constexpr double kLeastGamma = 1e-3, kMostGamma = 0.999;
  ZoopsResult result;
  result.frequencies = sharpened(withPseudoCount(initialCounts, sample.baseFrequencies), settings.startSharpening);
  result.counts = initialCounts;
  std::vector<Window> windows;
  windows.reserve(sample.longest());
  for (int iteration = 0; iteration < settings.maxIterations; ++iteration) {
    gamma = std::clamp(gamma, kLeastGamma, kMostGamma);
    const Expectation e = expectation(result.frequencies, gamma, sample, settings, windows);
    if (e.sequences == 0) return result;
    std::vector<formats::Column> next = withPseudoCount(e.counts, sample.baseFrequencies);
    const double change = largestChange(next, result.frequencies);
    result.frequencies = std::move(next);
    result.counts = e.counts;
    result.expectedSites = e.sites;
    result.iterations = iteration + 1;
    gamma = e.sites / static_cast<double>(e.sequences);
    if (change < settings.tolerance) break;
  }
  return result;
}

}  // namespace discover
