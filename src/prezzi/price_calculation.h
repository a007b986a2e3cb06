// The price-calculation interface of the library TRAVE_PREZZI: the members the item-master
// component sets, reads and calls for every price-list row, and the library's class
// CLSPREZZI, which computes a net price in decimal arithmetic.
//
// Every written variant member accepts a number or a text in the current number format (an
// empty text counts as 0); a text that is not a number is refused at the write with error 13.
// Values are kept until overwritten. Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>

#include "automation/object.h"
#include "prezzi/company.h"
#include "prezzi/price_steps.h"

namespace prezzi {

// The class name under which the library registers CLSPREZZI in the object factory.
inline constexpr std::string_view kClassName = "TRAVE_PREZZI.CLSPREZZI";

class PriceCalculation : public automation::Object {
 public:
  // Raises 13 for an object that does not support the company interface; nullptr clears it.
  virtual void SetDittaCorrente(const automation::ObjectPtr& company) = 0;
  virtual automation::ObjectPtr DittaCorrente() const = 0;
  virtual void SetValuta(const automation::Variant& value) = 0;
  virtual void SetBVMBASE(const automation::Variant& value) = 0;
  virtual void SetBVMVAR(const automation::Variant& value) = 0;
  virtual void SetBVMMOLT(const automation::Variant& value) = 0;
  virtual void SetFLGBASEVAR(std::int32_t value) = 0;
  virtual void SetPREZZO(const automation::Variant& value) = 0;
  // index 1..6
  virtual void SetSCPER(int index, const automation::Variant& value) = 0;
  virtual void SetSCIMP(const automation::Variant& value) = 0;
  // index 1..2
  virtual void SetMAGPER(int index, const automation::Variant& value) = 0;
  virtual void SetMAGIMP(const automation::Variant& value) = 0;
  // The net price of the last CalcolaPrezzoNetto, as a Double (Empty before the first).
  virtual automation::Variant PREZZONETTO() const = 0;
  virtual void CalcolaPrezzoNetto() = 0;

  // Late binding over the members above, by their names.
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;
};

using PriceCalculationPtr = std::shared_ptr<PriceCalculation>;

// The library's class.
//
// CalcolaPrezzoNetto: start from PREZZO; with FLGBASEVAR 1 add (BVMVAR - BVMBASE) x BVMMOLT;
// apply SC1PER..SC6PER in cascade; subtract SCIMP; apply MAG1PER and MAG2PER in cascade and
// add MAGIMP; round half away from zero to the decimals that DittaCorrente gives for Valuta
// (5 without a company object); a result below zero becomes 0.
class CLSPREZZI : public PriceCalculation {
 public:
  std::string_view type_name() const override { return "CLSPREZZI"; }

  void SetDittaCorrente(const automation::ObjectPtr& company) override;
  automation::ObjectPtr DittaCorrente() const override { return company_object_; }
  void SetValuta(const automation::Variant& value) override;
  void SetBVMBASE(const automation::Variant& value) override { bvm_base_ = number(value); }
  void SetBVMVAR(const automation::Variant& value) override { bvm_var_ = number(value); }
  void SetBVMMOLT(const automation::Variant& value) override { bvm_molt_ = number(value); }
  void SetFLGBASEVAR(std::int32_t value) override { flg_base_var_ = value; }
  void SetPREZZO(const automation::Variant& value) override { prezzo_ = number(value); }
  void SetSCPER(int index, const automation::Variant& value) override;
  void SetSCIMP(const automation::Variant& value) override { sc_imp_ = number(value); }
  void SetMAGPER(int index, const automation::Variant& value) override;
  void SetMAGIMP(const automation::Variant& value) override { mag_imp_ = number(value); }
  automation::Variant PREZZONETTO() const override { return net_price_; }
  void CalcolaPrezzoNetto() override;

  // While `record` is set, every CalcolaPrezzoNetto empties it and fills it with the steps it
  // takes (see price_steps.h); the net price is the same with or without a record. nullptr
  // stops recording. The caller keeps the record alive while it is set.
  void record_steps(PriceSteps* record) { record_ = record; }

 private:
  // Adds a step to the record, when there is one.
  void note(StepKind kind, int index, const automation::Decimal& amount,
            const automation::Decimal& price) const;

  // A written value as a decimal: Empty, Null and an empty text are 0.
  static automation::Decimal number(const automation::Variant& value);

  automation::ObjectPtr company_object_;
  CompanyInterface* company_ = nullptr;  // the same object, through the company interface
  std::string valuta_;
  automation::Decimal bvm_base_, bvm_var_, bvm_molt_;
  std::int32_t flg_base_var_ = 0;
  automation::Decimal prezzo_;
  automation::Decimal sc_per_[6];
  automation::Decimal sc_imp_;
  automation::Decimal mag_per_[2];
  automation::Decimal mag_imp_;
  automation::Variant net_price_;
  PriceSteps* record_ = nullptr;
};

// Registers CLSPREZZI in the object factory under kClassName.
void register_classes();

}  // namespace prezzi
