#pragma once
// The moment a log is created, as its header shows it.
#include "log/log_format.h"

namespace veridane {

// Now: the date in the short form of the bench's locale, the time as HH:MM.
LogStamp SystemLogStamp();

}  // namespace veridane
