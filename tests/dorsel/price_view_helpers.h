// Helpers of the price-view tests: a price object of the host's own that records what it is
// handed, and renderings of a view's rows and layout. Not thread-safe.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/recordset.h"

#include "prezzi/price_calculation.h"
#include "support/recordset_text.h"
#include "support/slot_test_helpers.h"

namespace test_support {

// Put into gclsCalcoloPrezzi, it records every member written and called, in order, as
// "Member=value" lines (values as the recordset renderer writes them, so a text shows in
// quotes), and answers PREZZONETTO with a value the test chooses.
class RecordingPrice : public prezzi::PriceCalculation {
 public:
  std::string_view type_name() const override { return "RecordingPrice"; }

  void SetDittaCorrente(const automation::ObjectPtr& company) override {
    company_ = company;
    log_.push_back("DittaCorrente");
  }
  automation::ObjectPtr DittaCorrente() const override { return company_; }
  void SetValuta(const automation::Variant& v) override { write("Valuta", v); }
  void SetBVMBASE(const automation::Variant& v) override { write("BVMBASE", v); }
  void SetBVMVAR(const automation::Variant& v) override { write("BVMVAR", v); }
  void SetBVMMOLT(const automation::Variant& v) override { write("BVMMOLT", v); }
  void SetFLGBASEVAR(std::int32_t v) override { log_.push_back("FLGBASEVAR=" + std::to_string(v)); }
  void SetPREZZO(const automation::Variant& v) override { write("PREZZO", v); }
  void SetSCPER(int i, const automation::Variant& v) override {
    write("SC" + std::to_string(i) + "PER", v);
  }
  void SetSCIMP(const automation::Variant& v) override { write("SCIMP", v); }
  void SetMAGPER(int i, const automation::Variant& v) override {
    write("MAG" + std::to_string(i) + "PER", v);
  }
  void SetMAGIMP(const automation::Variant& v) override { write("MAGIMP", v); }
  automation::Variant PREZZONETTO() const override { return net_price; }
  void CalcolaPrezzoNetto() override { log_.push_back("CalcolaPrezzoNetto"); }

  // The log so far as one string, one entry per line; the log is emptied.
  std::string take() {
    std::string text;
    for (const std::string& line : log_) text += line + "\n";
    log_.clear();
    return text;
  }

  automation::Variant net_price = 1.5;

 private:
  void write(const std::string& member, const automation::Variant& value) {
    log_.push_back(member + "=" + value_text(value));
  }
  automation::ObjectPtr company_;
  std::vector<std::string> log_;
};

// The rows of a view through a clone (the view keeps its position), the named columns of each
// row joined by '|', one line per row.
inline std::string view_rows(data::Recordset& view, const std::vector<std::string_view>& columns) {
  data::RecordsetPtr walk = view.Clone();
  std::string out;
  if (walk->Bof() && walk->Eof()) return out;
  for (walk->MoveFirst(); !walk->Eof(); walk->MoveNext()) {
    bool first = true;
    for (std::string_view column : columns) {
      if (!first) out += "|";
      first = false;
      out += value_text(walk->Fields().Item(column).Value());
    }
    out += "\n";
  }
  return out;
}

// The statement that reads the base-variation flag of item A1, once per row priced.
inline std::string item_flag_query() {
  return crlf_lines({" SELECT ", "     MG66_FLGBASEVAR ", " FROM ", "     MG66_ANAGRART ",
                     " WHERE MG66_DITTA_CG18 = 1", " AND MG66_CODART ='A1'"});
}

}  // namespace test_support
