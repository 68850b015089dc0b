#pragma once
// Command sequences the tests send the scope under test in the same words.
#include <cstdint>

namespace veridane {

class GpibBus;

// Moves a two-channel test on to channel 2: the channel shown, and measurement 1 taken from it
// ("SEL:CH2 ON", "MEASU:MEAS1:SOU CH2;STATE ON").
void MeasureOnCH2(GpibBus& bus, int16_t scope);

}  // namespace veridane
