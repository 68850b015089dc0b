#pragma once
// Test 3, "Analog Bandwidth": for each channel and nine vertical scales from 2 mV/div to 1 V/div
// a sine wave of about six divisions is measured at 50 kHz and at the model's bandwidth limit;
// the amplitude at the limit must be at least 70 % of the one at 50 kHz. The generator is set
// over the bus when present (its compensation data applied by the generator driver), otherwise
// by the technician; the scope's own readings confirm the frequency, and by hand the amplitude.
#include <optional>

#include "report/step_result.h"
#include <cstdint>
#include <string>

#include "pv/procedures/pv_context.h"

namespace veridane {

// Runs the whole test (menu entry and Full Sequence alike) and ends it through the frame.
void Bandwidth(ScopeLink& scope, BenchParts& bench, Operator& op, TestRun& test);

// One judged step and its row: channel, scale, reference at 50 kHz, its -3 dB level, the
// measured amplitude with its ratio in dB, the test frequency and the verdict. An absent
// amplitude is no reading; an absent reference shows as 0 V and fails the step.
StepResult BandwidthResult(int16_t channel, float scale, std::optional<float> reference, std::optional<float> measured,
                           float frequencyMHz);

// The level the generator on the bus is asked for at a step that wants `wanted` V p-p: the
// same, or, beyond what the generator can deliver, the highest level of its attenuator ladder
// it can deliver.
float DeliverableLevel(const InstrumentRoles& roles, const SignalGenerator& generator, Automation mode, float wanted);

}  // namespace veridane
