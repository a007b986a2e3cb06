// Write-back: sends the pending changes of a recordset's rows to the table they were read from,
// each row as one UPDATE, INSERT or DELETE located by the table's primary key, with '?'
// parameters, through Connection::run. Not thread-safe.
#pragma once

#include <cstddef>
#include <vector>

#include "data/connection.h"
#include "data/row_store.h"

namespace data::detail {

// Sends the pending changes of `rows` (indices into `store`; rows without pending changes are
// skipped). Runs inside a transaction of its own unless `in_transaction`. Raises 3251 with a
// description saying why when the rows cannot be written back (a join, an expression-only
// result, a table without a primary key or a result without all its key columns),
// -2147217864 when an UPDATE or DELETE finds no row, or the provider's error. On any failure
// its own transaction is rolled back and the store is left as it was: the changes stay pending.
void write_back(RowStore& store, Connection& connection, const std::vector<std::size_t>& rows,
                bool in_transaction);

}  // namespace data::detail
