// Turns a statement in the board's Jet dialect into one the engine runs with the same
// meaning. Jet's "+" becomes jet_add (texts join, numbers add, Null in gives Null);
// double-quoted strings become single-quoted ones; everything else passes unchanged.
#pragma once

#include <string>
#include <string_view>

namespace zenta {

std::string TranslateJetSql(std::string_view jet);

}  // namespace zenta
