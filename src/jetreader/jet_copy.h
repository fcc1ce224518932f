// Copies the board's five tables out of a Jet file opened with libmdb into a new native
// archive: every column in Jet order with its type mapped, every row, every value, and the
// primary key and unique indexes of each table.
#pragma once

#include <glib.h>  // libmdb 1.0.0 needs glib declared before its own header

#include <mdbtools.h>

#include <cstdint>
#include <stdexcept>

#include "base/progress.h"

struct sqlite3;

namespace zenta::jet {

// A Jet file that cannot be read whole; the text says what was wrong.
class ReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the tables into `dest`, an empty data base, inside one transaction. Raises
// ReadError for a damaged Jet file and zenta::Error for a refusal of the data base.
// `progress` hears now and then of the rows copied of the rows of all tables.
void CopyJetTables(MdbHandle* mdb, sqlite3* dest, const Progress& progress);

}  // namespace zenta::jet
