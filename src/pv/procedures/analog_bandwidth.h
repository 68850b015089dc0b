#pragma once
// Test 3, "Analog Bandwidth": for each channel and nine vertical scales from 2 mV/div to 1 V/div
// a sine wave of about six divisions is measured at 50 kHz and at the model's bandwidth limit;
// the amplitude at the limit must be at least 70 % of the one at 50 kHz. The generator is set
// over the bus when present (its compensation data applied by the generator driver), otherwise
// by the technician; the scope's own readings confirm the frequency, and by hand the amplitude.
#include <cstdint>
#include <string>

#include "pv/procedures/pv_context.h"

namespace veridane {

// Runs the whole test (menu entry and Full Sequence alike) and ends it through the frame.
void Bandwidth(PvContext& pv);

// One result row: channel, scale, reference at 50 kHz, its -3 dB level, the measured amplitude
// with its ratio in dB, the test frequency and the verdict. stepFailed becomes -1 on a FAIL.
std::string BandwidthRow(int16_t channel, float scale, float reference, float measured, float frequencyMHz,
                         int16_t& stepFailed);

// The level the generator on the bus is asked for at a step that wants `wanted` V p-p: the
// same, or, beyond what the generator can deliver, the highest level of its attenuator ladder
// it can deliver.
float DeliverableLevel(const PvContext& pv, float wanted);

}  // namespace veridane
