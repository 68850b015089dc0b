#include "results/run_context.h"

namespace veridane {

std::string_view RunLabelName(RunLabel label) { return label == RunLabel::AsLeft ? "as left" : "as found"; }

RunLabel RunLabelFromName(std::string_view name) { return name == "as left" ? RunLabel::AsLeft : RunLabel::AsFound; }

}  // namespace veridane
