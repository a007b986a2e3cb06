#include "prezzi/price_calculation.h"

#include <string>

#include "automation/convert.h"
#include "automation/factory.h"
#include "automation/text.h"

namespace prezzi {

using automation::Decimal;
using automation::Error;
using automation::Variant;

namespace {

constexpr std::int16_t kDefaultDecimals = 5;
constexpr std::string_view kSource = "TRAVE_PREZZI";

Decimal percent_of(const Decimal& value, const Decimal& percent) {
  return value * percent / Decimal(100);
}

const automation::DispatchTable<PriceCalculation>& dispatch() {
  using automation::DispatchTable;
  static const DispatchTable<PriceCalculation> kTable = [] {
    DispatchTable<PriceCalculation> t;
    auto setter = [](void (PriceCalculation::*member)(const Variant&)) {
      return [member](PriceCalculation& self, const Variant& v) { (self.*member)(v); };
    };
    t.property(
        "DittaCorrente", [](PriceCalculation& self) { return Variant(self.DittaCorrente()); },
        nullptr,
        [](PriceCalculation& self, const Variant& v) {
          if (!v.is_object()) throw Error(automation::errc::kObjectRequired, std::string(kSource));
          self.SetDittaCorrente(v.as_object());
        });
    t.property("Valuta", nullptr, setter(&PriceCalculation::SetValuta));
    t.property("BVMBASE", nullptr, setter(&PriceCalculation::SetBVMBASE));
    t.property("BVMVAR", nullptr, setter(&PriceCalculation::SetBVMVAR));
    t.property("BVMMOLT", nullptr, setter(&PriceCalculation::SetBVMMOLT));
    t.property("FLGBASEVAR", nullptr, [](PriceCalculation& self, const Variant& v) {
      self.SetFLGBASEVAR(automation::to_long(v));
    });
    t.property("PREZZO", nullptr, setter(&PriceCalculation::SetPREZZO));
    for (int i = 1; i <= 6; ++i) {
      t.property("SC" + std::to_string(i) + "PER", nullptr,
                 [i](PriceCalculation& self, const Variant& v) { self.SetSCPER(i, v); });
    }
    t.property("SCIMP", nullptr, setter(&PriceCalculation::SetSCIMP));
    for (int i = 1; i <= 2; ++i) {
      t.property("MAG" + std::to_string(i) + "PER", nullptr,
                 [i](PriceCalculation& self, const Variant& v) { self.SetMAGPER(i, v); });
    }
    t.property("MAGIMP", nullptr, setter(&PriceCalculation::SetMAGIMP));
    t.property("PREZZONETTO", [](PriceCalculation& self) { return self.PREZZONETTO(); });
    t.method("CalcolaPrezzoNetto", [](PriceCalculation& self, std::span<Variant>) {
      self.CalcolaPrezzoNetto();
      return Variant();
    });
    return t;
  }();
  return kTable;
}

}  // namespace

Variant PriceCalculation::invoke(std::string_view name, automation::InvokeKind kind,
                                 std::span<Variant> args) {
  return dispatch().invoke(*this, name, kind, args);
}

Decimal CLSPREZZI::number(const Variant& value) {
  if (value.is_empty() || value.is_null()) return Decimal();
  if (value.is_string() && automation::trim(value.as_string()).empty()) {
    return Decimal();
  }
  // A text that is not a number in the current format is refused here, at the write.
  return automation::to_decimal(value);
}

void CLSPREZZI::SetDittaCorrente(const automation::ObjectPtr& company) {
  if (!company) {
    company_object_.reset();
    company_ = nullptr;
    return;
  }
  auto* interface = dynamic_cast<CompanyInterface*>(company.get());
  if (interface == nullptr) throw Error(automation::errc::kTypeMismatch, std::string(kSource));
  company_object_ = company;
  company_ = interface;
}

void CLSPREZZI::SetValuta(const Variant& value) { valuta_ = automation::to_text(value); }

void CLSPREZZI::SetSCPER(int index, const Variant& value) {
  if (index < 1 || index > 6) {
    throw Error(automation::errc::kSubscriptOutOfRange, std::string(kSource));
  }
  sc_per_[index - 1] = number(value);
}

void CLSPREZZI::SetMAGPER(int index, const Variant& value) {
  if (index < 1 || index > 2) {
    throw Error(automation::errc::kSubscriptOutOfRange, std::string(kSource));
  }
  mag_per_[index - 1] = number(value);
}

void CLSPREZZI::note(StepKind kind, int index, const Decimal& amount, const Decimal& price) const {
  if (record_ == nullptr) return;
  PriceStep step;
  step.kind = kind;
  step.index = index;
  step.amount = amount;
  step.price = price;
  if (kind == StepKind::kBaseVariation) {
    step.base = bvm_base_;
    step.variation = bvm_var_;
    step.multiplier = bvm_molt_;
  }
  record_->push_back(step);
}

void CLSPREZZI::CalcolaPrezzoNetto() {
  if (record_ != nullptr) record_->clear();
  Decimal price = prezzo_;
  note(StepKind::kBasePrice, 0, prezzo_, price);
  if (flg_base_var_ == 1) {
    const Decimal variation = (bvm_var_ - bvm_base_) * bvm_molt_;
    price = price + variation;
    note(StepKind::kBaseVariation, 0, variation, price);
  }
  for (int i = 0; i < 6; ++i) {
    price = price - percent_of(price, sc_per_[i]);
    note(StepKind::kDiscount, i + 1, sc_per_[i], price);
  }
  price = price - sc_imp_;
  note(StepKind::kDiscountAmount, 0, sc_imp_, price);
  for (int i = 0; i < 2; ++i) {
    price = price + percent_of(price, mag_per_[i]);
    note(StepKind::kMarkup, i + 1, mag_per_[i], price);
  }
  price = price + mag_imp_;
  note(StepKind::kMarkupAmount, 0, mag_imp_, price);
  std::int16_t decimals =
      company_ != nullptr ? company_->DecimaliPrezzo(valuta_) : kDefaultDecimals;
  price = price.round(decimals);
  note(StepKind::kRounding, 0, Decimal(decimals), price);
  if (price.is_negative()) {
    price = Decimal();
    note(StepKind::kClampAtZero, 0, Decimal(), price);
  }
  net_price_ = Variant(price.to_double());
}

std::string_view step_name(StepKind kind) {
  switch (kind) {
    case StepKind::kBasePrice:
      return "base_price";
    case StepKind::kBaseVariation:
      return "base_variation";
    case StepKind::kDiscount:
      return "discount";
    case StepKind::kDiscountAmount:
      return "discount_amount";
    case StepKind::kMarkup:
      return "markup";
    case StepKind::kMarkupAmount:
      return "markup_amount";
    case StepKind::kRounding:
      return "rounding";
    case StepKind::kClampAtZero:
      return "clamp_at_zero";
  }
  return "unknown";
}

void register_classes() {
  automation::ObjectFactory::instance().register_class(
      kClassName, [] { return std::make_shared<CLSPREZZI>(); });
}

}  // namespace prezzi
