// How the net price of one row of a price view came about, from the price library itself.
// Not part of the automation interface: a host in C++ (the browser console) asks it after the
// view has been built. Not thread-safe; one owner of the component at a time.
#pragma once

#include "dorsel/frame/clsmg_dorsel.h"
#include "prezzi/price_steps.h"

namespace dorsel {

enum class PriceView { kSales, kPurchase, kLastPrices };

// Recomputes the net price of the view's row number `row` (1 = the first) exactly as the
// view's transfer did: the view is positioned on the row, the view's net-price routine
// (Calcola_PREZZONETTO_LI10Ven, _LI10Acq or _LI11) hands the row's values, currency and item
// to gclsCalcoloPrezzi, and the object computes with a step record on. Returns the steps; the
// last one's price is the net price. Raises 3021 for a row the view does not have, 438 when
// gclsCalcoloPrezzi is not the library's CLSPREZZI, and what the routine raises (with its
// label). The view is left on the row; the price object keeps the row's values.
prezzi::PriceSteps explain_net_price(CLSMG_DORSEL& component, PriceView view, int row);

}  // namespace dorsel
