#include "sim/instruments/standard_errors.h"

#include <cmath>

namespace veridane::sim {

namespace {

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

double Uniform(uint64_t seed, uint64_t n, uint64_t lane) {
  const uint64_t h = Mix(Mix(Mix(seed) ^ n) ^ lane);
  return (static_cast<double>(h >> 11) + 0.5) / 9007199254740992.0;
}

}  // namespace

double StandardErrors::Sigma(double value) const {
  const double amount = std::fabs(value) * figures_.percentOfValue / 100 + figures_.absolute;
  return figures_.coverageFactor > 0 ? amount / figures_.coverageFactor : 0;
}

double StandardErrors::Draw(double value) {
  if (!seed_) return 0;
  const uint64_t n = draws_++;
  // Box-Muller: one normal deviate from two uniform ones.
  const double u1 = Uniform(*seed_, n, 1);
  const double u2 = Uniform(*seed_, n, 2);
  const double normal = std::sqrt(-2 * std::log(u1)) * std::cos(2 * 3.14159265358979323846 * u2);
  return normal * Sigma(value);
}

}  // namespace veridane::sim
