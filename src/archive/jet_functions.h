// The Jet functions the board's statements use, as functions of the engine:
// mid, cstr, and jet_add (Jet's "+", which joins texts and adds numbers).
#pragma once

struct sqlite3;

namespace zenta {

void RegisterJetFunctions(sqlite3* db);

}  // namespace zenta
