#pragma once
// What the instrument drivers and their callers share about a run: the Auto mode the drivers
// read, and what became of a setting the technician was asked to make. The drivers never
// write the run state; a caller that gets a cancelled setting stops its test.
#include <cstdint>

namespace veridane {

// How much of the bench the program drives itself. The coded form (0, -1, 1) is how the
// procedures' own text names them.
enum class Automation : int16_t {
  Manual = 0,                // the technician sets every instrument and connection
  Full = -1,                 // Auto, the generator compensated from its data file
  WithoutCompensation = 1,   // Auto, but the generator's compensation data could not be used
};

constexpr bool IsAuto(Automation mode) { return mode != Automation::Manual; }

// A setting made (over the bus, or by the technician at a prompt answered OK), or cancelled
// by the technician at its prompt.
enum class Setting : int8_t { Made, Cancelled };

}  // namespace veridane
