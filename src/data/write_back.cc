#include "data/write_back.h"

#include <string>

#include "automation/text.h"
#include "data/ado.h"
#include "data/errors.h"

namespace data::detail {
namespace {

constexpr std::string_view kSource = "ADODB.Recordset";

WritePlan make_plan(const RowStore& store, Connection& connection) {
  WritePlan plan;
  plan.computed = true;
  for (const ColumnInfo& c : store.columns) {
    if (c.base_table.empty() || c.base_column.empty()) continue;
    if (plan.table.empty()) {
      plan.table = c.base_table;
    } else if (!automation::iequals(plan.table, c.base_table)) {
      plan.refusal = "The rows come from more than one table (" + plan.table + ", " + c.base_table +
                     ") and cannot be written back.";
      return plan;
    }
  }
  if (plan.table.empty()) {
    plan.refusal = "The rows come from no table and cannot be written back.";
    return plan;
  }
  for (std::size_t i = 0; i < store.columns.size(); ++i) {
    const ColumnInfo& c = store.columns[i];
    if (!c.base_column.empty() && automation::iequals(c.base_table, plan.table)) {
      plan.writable.push_back(static_cast<int>(i));
    }
  }
  std::vector<std::string> key = connection.provider().primary_key(plan.table);
  if (key.empty()) {
    plan.refusal =
        "Table " + plan.table + " has no primary key, so its rows cannot be written back.";
    return plan;
  }
  for (const std::string& k : key) {
    int found = -1;
    for (int ordinal : plan.writable) {
      if (automation::iequals(store.columns[static_cast<std::size_t>(ordinal)].base_column, k)) {
        found = ordinal;
        break;
      }
    }
    if (found < 0) {
      plan.refusal = "The rows do not hold the key column " + k + " of table " + plan.table +
                     " and cannot be written back.";
      return plan;
    }
    plan.keys.push_back(found);
  }
  return plan;
}

const std::string& column_name(const RowStore& store, int ordinal) {
  return store.columns[static_cast<std::size_t>(ordinal)].base_column;
}

void append_key_condition(const RowStore& store, const WritePlan& plan, const Row& located_by,
                          std::string& sql, std::vector<automation::Variant>& params) {
  sql += " WHERE ";
  for (std::size_t k = 0; k < plan.keys.size(); ++k) {
    if (k > 0) sql += " AND ";
    sql += column_name(store, plan.keys[k]);
    sql += " = ?";
    params.push_back(located_by[static_cast<std::size_t>(plan.keys[k])]);
  }
}

void run_located(Connection& connection, const std::string& sql,
                 const std::vector<automation::Variant>& params) {
  ResultSet result = connection.run(sql, params);
  if (result.records_affected == 0) raise(errc::kRowNotLocated, kSource);
}

void send_row(const RowStore& store, const WritePlan& plan, Connection& connection, std::size_t r) {
  const Row row = store.copy_of(r);
  auto original_it = store.originals.find(r);
  const Row& original = original_it == store.originals.end() ? row : original_it->second;
  std::string sql;
  std::vector<automation::Variant> params;
  switch (store.state(r)) {
    case RowState::kModified: {
      sql = "UPDATE " + plan.table + " SET ";
      bool any = false;
      for (int ordinal : plan.writable) {
        auto i = static_cast<std::size_t>(ordinal);
        if (row[i] == original[i]) continue;
        if (any) sql += ", ";
        sql += column_name(store, ordinal);
        sql += " = ?";
        params.push_back(row[i].is_empty() ? automation::Variant::null() : row[i]);
        any = true;
      }
      if (!any) return;
      append_key_condition(store, plan, original, sql, params);
      run_located(connection, sql, params);
      return;
    }
    case RowState::kAdded: {
      std::string names, markers;
      for (int ordinal : plan.writable) {
        auto i = static_cast<std::size_t>(ordinal);
        // An unwritten field leaves the column to its default, as an omitted column does.
        if (row[i].is_empty()) continue;
        if (!names.empty()) {
          names += ", ";
          markers += ", ";
        }
        names += column_name(store, ordinal);
        markers += "?";
        params.push_back(row[i]);
      }
      sql = "INSERT INTO " + plan.table;
      sql += names.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + markers + ")";
      connection.run(sql, params);
      return;
    }
    case RowState::kDeleted:
      sql = "DELETE FROM " + plan.table;
      append_key_condition(store, plan, original, sql, params);
      run_located(connection, sql, params);
      return;
    case RowState::kUnchanged:
    case RowState::kGone:
      return;
  }
}

}  // namespace

void write_back(RowStore& store, Connection& connection, const std::vector<std::size_t>& rows,
                bool in_transaction) {
  if (!store.write_plan.computed) store.write_plan = make_plan(store, connection);
  const WritePlan& plan = store.write_plan;
  if (!plan.refusal.empty()) raise(errc::kFeatureNotAvailable, kSource, plan.refusal);
  if (in_transaction) {
    for (std::size_t r : rows) send_row(store, plan, connection, r);
    return;
  }
  connection.BeginTrans();
  try {
    for (std::size_t r : rows) send_row(store, plan, connection, r);
    // A refused commit leaves the transaction open: it is rolled back like any other failure.
    connection.CommitTrans();
  } catch (const automation::Error&) {
    // The first error is the one to report; a failing rollback must not replace it.
    automation::ignore_errors([&] { connection.RollbackTrans(); });
    throw;
  }
}

}  // namespace data::detail
