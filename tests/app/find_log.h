// The log the find bar's tests search: lines 0-9 (view lines; 1-10 as the
// log counts them), five entries, "wafer" in three of them, one "Caf\xE9" byte.
#pragma once

#include <string>

namespace lognex::testing {

inline const std::string kFindLog =
    "Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580\r\n"
    "Wafer not sensed\r\n"
    "Tue Apr 17 21:45:00 2007 FILE: Align.c at LINE: 12\r\n"
    "Align failed\r\n"
    "Wed Apr 18 00:00:00 2007 FILE: CVT.c at LINE: 3580\r\n"
    "Wafer not sensed\r\n"
    "Wed Apr 18 01:00:00 2007 FILE: Caf\xE9.c at LINE: 9\r\n"
    "Vacuum lost; wafer_2 kept\r\n"
    "Wed Apr 18 02:00:00 2007 FILE: Align.c at LINE: 12\r\n"
    "Align failed\r\n";

}  // namespace lognex::testing
