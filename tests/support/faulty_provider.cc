#include "support/faulty_provider.h"

#include <memory>
#include <string>

#include "data/provider.h"
#include "data/sqlite/sqlite_provider.h"

namespace test_support {
namespace {

constexpr std::int32_t kUnspecifiedError = -2147467259;  // E_FAIL: an engine failure
constexpr std::int32_t kIntegrityViolation = -2147217873;

class FaultyProvider : public data::Provider {
 public:
  explicit FaultyProvider(std::unique_ptr<data::Provider> inner) : inner_(std::move(inner)) {}

  std::string_view name() const override { return inner_->name(); }
  data::ResultSet execute(std::string_view text,
                          std::span<const automation::Variant> params) override {
    faults().on_statement(!params.empty());
    return inner_->execute(text, params);
  }
  void execute_native_script(std::string_view script) override {
    inner_->execute_native_script(script);
  }
  void begin_transaction() override { inner_->begin_transaction(); }
  void commit_transaction() override {
    faults().on_commit();
    inner_->commit_transaction();
  }
  void rollback_transaction() override { inner_->rollback_transaction(); }
  std::vector<std::string> primary_key(std::string_view table) override {
    return inner_->primary_key(table);
  }

 private:
  std::unique_ptr<data::Provider> inner_;
};

std::unique_ptr<data::Provider> open_if_faulty(std::string_view connection_string) {
  if (data::connection_string_value(connection_string, "Provider") != "Faulty") return nullptr;
  return std::make_unique<FaultyProvider>(
      data::sqlite::open("Provider=SQLite;Data Source=" +
                         data::connection_string_value(connection_string, "Data Source")));
}

}  // namespace

void register_faulty_provider() { data::register_provider("Faulty", open_if_faulty); }

FaultPlan& faults() {
  static FaultPlan plan;
  return plan;
}

void FaultPlan::fail_statement(int n, automation::Error error) {
  statement_ = {n, std::move(error)};
}

void FaultPlan::fail_row(int n, automation::Error error) { row_ = {n, std::move(error)}; }

void FaultPlan::fail_commit(automation::Error error) { commit_ = std::move(error); }

void FaultPlan::clear() { *this = FaultPlan(); }

void FaultPlan::count_down(Planned& planned) {
  if (!planned.error || --planned.remaining > 0) return;
  automation::Error error = std::move(*planned.error);
  planned.error.reset();
  throw error;
}

void FaultPlan::on_statement(bool with_parameters) {
  ++statements_;
  count_down(statement_);
  if (with_parameters) count_down(row_);
}

void FaultPlan::on_commit() {
  if (!commit_) return;
  automation::Error error = std::move(*commit_);
  commit_.reset();
  throw error;
}

automation::Error disk_io_error() {
  return automation::Error(kUnspecifiedError, "SQLite", "disk I/O error");
}

automation::Error disk_full_error() {
  return automation::Error(kUnspecifiedError, "SQLite", "database or disk is full");
}

automation::Error locked_error() {
  return automation::Error(kUnspecifiedError, "SQLite", "database is locked");
}

automation::Error unique_error(const char* table_column) {
  return automation::Error(kIntegrityViolation, "SQLite",
                           std::string("UNIQUE constraint failed: ") + table_column);
}

}  // namespace test_support
