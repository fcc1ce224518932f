// How long work reports how far it has come: the units done so far and the units of the
// whole work (rows, for a conversion or a merge). An error it throws stops the work.
#pragma once

#include <cstdint>
#include <functional>

namespace zenta {

using Progress = std::function<void(std::int64_t done, std::int64_t total)>;

}  // namespace zenta
