// Jet Date/Time values as the board's date code.
#pragma once

#include <string>

namespace zenta::jet {

// A Jet date (days since 1899-12-30; the fraction is the time of day, counted forward also
// for days before) as the 14-digit text yyyymmddhhnnss, to the nearest second, so that it
// reads like the board's own date codes. "" for a value outside years 100 to 9999.
std::string JetDateCode(double days);

}  // namespace zenta::jet
