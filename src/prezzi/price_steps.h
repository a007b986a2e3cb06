// The record of how a net price came about: the steps CLSPREZZI::CalcolaPrezzoNetto takes, in
// order, each with the running price after it. The calculation fills the record as it goes, so
// the last step's price is always the net price it returns. A plain value; not thread-safe.
#pragma once

#include <string_view>
#include <vector>

#include "automation/decimal.h"

namespace prezzi {

enum class StepKind {
  kBasePrice,       // PREZZO
  kBaseVariation,   // + (BVMVAR - BVMBASE) x BVMMOLT, with FLGBASEVAR 1 only
  kDiscount,        // SCnPER, n = index 1..6
  kDiscountAmount,  // SCIMP
  kMarkup,          // MAGnPER, n = index 1..2
  kMarkupAmount,    // MAGIMP
  kRounding,        // to `amount` decimals, half away from zero
  kClampAtZero,     // only when the rounded price was below zero
};

struct PriceStep {
  StepKind kind = StepKind::kBasePrice;
  int index = 0;               // the discount's or markup's number; 0 for the other steps
  automation::Decimal amount;  // the percentage, the amount, or the decimals of the rounding
  automation::Decimal price;   // the running price after the step
  // The base-metal variation's three values (kBaseVariation only).
  automation::Decimal base, variation, multiplier;
};

using PriceSteps = std::vector<PriceStep>;

// The step's stable name, as the console's JSON carries it ("base_price", "discount", ...).
std::string_view step_name(StepKind kind);

}  // namespace prezzi
