// The company interface of the price library: what the price object asks of the host's
// current-company object. The host's object implements it beside automation::Object, and the
// price object accepts as its DittaCorrente only an object that does.
#pragma once

#include <cstdint>
#include <string_view>

namespace prezzi {

class CompanyInterface {
 public:
  virtual ~CompanyInterface() = default;
  // The number of decimals to which prices in the currency are rounded.
  virtual std::int16_t DecimaliPrezzo(std::string_view valuta) = 0;
};

}  // namespace prezzi
