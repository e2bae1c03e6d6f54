// The first and last entry times of a processing run.
#pragma once

#include "support/date_time.h"

namespace lognex {

// Zero means "not set": a run resets both before its first entry. first is
// the first entry in file order whose time is not zero; last is the entry
// counted most recently, which is the last in file order, not the latest.
struct EntryTimes {
    DateTime first = 0;
    DateTime last = 0;
};

}  // namespace lognex
