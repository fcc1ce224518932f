#include "jetreader/jet_date.h"

#include <cmath>
#include <cstdio>

namespace zenta::jet {

std::string JetDateCode(double value) {
    // Jet's own range: 100-01-01 (-657434) to 9999-12-31 (2958465).
    if (!std::isfinite(value) || value < -657434.0 || value >= 2958466.0) return "";
    double day = std::trunc(value);
    long seconds = std::lround(std::fabs(value - day) * 86400.0);
    long days = static_cast<long>(day) + seconds / 86400;
    seconds %= 86400;
    // Civil date from a count of days since 1970-01-01 (day 25569 of Jet's count).
    long z = days - 25569 + 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    long d = doy - (153 * mp + 2) / 5 + 1;
    long m = mp < 10 ? mp + 3 : mp - 9;
    long y = yoe + era * 400 + (m <= 2);
    char text[96];
    std::snprintf(text, sizeof text, "%04ld%02ld%02ld%02ld%02ld%02ld", y, m, d, seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

}  // namespace zenta::jet
