#include "instruments/sg_models.h"

#include <array>

namespace veridane {

namespace {

// The SG 5030 is levelled at 3 V (and 5 V from row 1), the others at 2.4 V; every lower test
// level is the levelled output divided down by the attenuator.
constexpr std::array<AttenuationStep, 10> kSG5030Ladder{{
    {0.006f, 500, 0}, {0.012f, 250, 0}, {0.03f, 100, 0}, {0.06f, 50, 0}, {0.12f, 25, 0},
    {0.3f, 10, 0}, {0.6f, 5, 0}, {1.2f, 2.5f, 0}, {3.0f, 1, 0}, {5.0f, 1, 1},
}};

constexpr std::array<AttenuationStep, 9> kSmeFlukeLadder{{
    {0.006f, 400, 0}, {0.012f, 200, 0}, {0.03f, 80, 0}, {0.06f, 40, 0}, {0.12f, 20, 0},
    {0.3f, 8, 0}, {0.6f, 4, 0}, {1.2f, 2, 0}, {2.4f, 1, 0},
}};

constexpr SGModelInfo kSme{SGFamily::SME, "POW", "V;", true, "FREQ", ";", "OUTP ON", "OUTP OFF",
                           3.5f, false, 22, kSmeFlukeLadder};
constexpr SGModelInfo kSG5030{SGFamily::SG5030, "AMPL", ";", false, "FRE", ";", "OUT ON", "OUT OFF",
                              5.5f, false, 12, kSG5030Ladder};
constexpr SGModelInfo kFluke{SGFamily::Fluke606x, "AP", "V;", true, "FR", "HZ;", "RO1", "RO0",
                             1.0f, true, 22, kSmeFlukeLadder};

}  // namespace

const SGModelInfo* FindSGModel(int16_t sgModel) {
  switch (sgModel) {
    case 2000:
    case 3000:
    case 6000:
      return &kSme;
    case 5030:
      return &kSG5030;
    case 6060:
    case 6061:
    case 6062:
      return &kFluke;
    default:
      return nullptr;
  }
}

}  // namespace veridane
