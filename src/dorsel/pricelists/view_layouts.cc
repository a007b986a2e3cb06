// The sales and purchase price-list views: their 48 columns and the two builders that declare
// them on the new, unopened recordset the view initialiser puts into the slot.
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/pricelists/view_support.h"

namespace dorsel {
namespace pricelists {
namespace {

// The decoded columns (LI10_INDRICALPR, LI10_FLGVARIATO, LI10_INDTIPOVAR, LI10_FLGPERSON,
// LI10_INDUM) are text or variant: they hold the word shown, not the stored code.
constexpr ColumnDecl kPriceListView[] = {
    {"MYID", DataType::kInteger, 0, kUnspecified},
    {"LI10_DITTA_CG18", DataType::kDouble, 30, kUnspecified},
    {"LI10_FLGUSODECOR", DataType::kDecimal, 1, kUnspecified},
    {"LI10_FLGVENDACQ", DataType::kDecimal, 1, kUnspecified},
    {"LI10_INDTIPOLIS", DataType::kDecimal, 2, kUnspecified},
    {"LI10_CODART_MG66", DataType::kBSTR, 30, kUnspecified},
    {"LI10_OPZIONE_MG5E", DataType::kBSTR, 30, kUnspecified},
    {"LI10_DEPOS_MG58", DataType::kBSTR, 2, kUnspecified},
    {"LI10_NUMLIST", DataType::kDecimal, 3, kUnspecified},
    {"VALUTA", DataType::kVarChar, 4, kUnspecified},
    {"LI10_DATAFINEVAL", DataType::kDate, 10, kUnspecified},
    {"LI10_DATAINIZIOVAL", DataType::kDate, 10, kUnspecified},
    {"LI10_FLGLIST", DataType::kDouble, 1, kUnspecified},
    {"LI10_PREZZO", DataType::kDouble, 20, kUnspecified},
    {"LI10_SC1PER", DataType::kDouble, 10, kUnspecified},
    {"LI10_SC2PER", DataType::kDouble, 10, kUnspecified},
    {"LI10_SC3PER", DataType::kDouble, 10, kUnspecified},
    {"LI10_SC4PER", DataType::kDouble, 10, kUnspecified},
    {"LI10_SC5PER", DataType::kDouble, 10, kUnspecified},
    {"LI10_SC6PER", DataType::kDouble, 10, kUnspecified},
    {"LI10_SCIMP", DataType::kDouble, 30, kUnspecified},
    {"LI10_MAG1PER", DataType::kDouble, 10, kUnspecified},
    {"LI10_MAG2PER", DataType::kDouble, 10, kUnspecified},
    {"LI10_MAGIMP", DataType::kDouble, 30, kUnspecified},
    {"PREZZO_NETTO", DataType::kDouble, 30, kUnspecified},
    {"LI10_PERRICDELTA", DataType::kDouble, 10, kUnspecified},
    {"LI10_INDRICALPR", DataType::kVarChar, 40, kUnspecified},
    {"LI10_INDARROT", DataType::kDecimal, 2, kUnspecified},
    {"LI10_SCAGL_MG02", DataType::kDouble, 30, kUnspecified},
    {"LI10_FLGPROVV", DataType::kDecimal, 1, kUnspecified},
    {"LI10_PROVPER", DataType::kDouble, 10, kUnspecified},
    {"LI10_PROVIMP", DataType::kDouble, 30, kUnspecified},
    {"LI10_PROVVSC_PA10", DataType::kVarChar, 20, kMayBeNull},
    {"LI10_DATACREAZ", DataType::kDate, 0, kMayBeNull},
    {"LI10_DATAULTAGG", DataType::kDate, 0, kMayBeNull},
    {"LI10_FLGVARIATO", DataType::kVarChar, 10, kUnspecified},
    {"LI10_INDTIPOVAR", DataType::kVarChar, 20, kUnspecified},
    {"LI10_DATASTLIS", DataType::kDate, 0, kMayBeNull},
    {"LI10_NUMPAGST", DataType::kDecimal, 10, kUnspecified},
    {"LI10_BVMBASE", DataType::kDouble, 30, kMayBeNull},
    {"LI10_BVMVAR", DataType::kDouble, 30, kMayBeNull},
    {"LI10_BVMMOLT", DataType::kDouble, 30, kMayBeNull},
    {"LI10_FLGPERSON", DataType::kVarChar, 10, kUnspecified},
    {"LI10_LIBEROVAL", DataType::kDouble, 30, kUnspecified},
    {"LI10_INDUM", DataType::kVariant, 15, kUnspecified},
    {"LI10_NOTE", DataType::kVariant, 40, kUnspecified},
    {"LI10_IDMEDIA_CG99", DataType::kDouble, 20, kUnspecified},
    {"MG44_DESCLIST", DataType::kVarChar, 30, kUnspecified},
};

}  // namespace

std::span<const ColumnDecl> price_list_view_columns() { return kPriceListView; }

}  // namespace pricelists

void CLSMG_DORSEL::CreaRecset_Grst_RecSet_LI10Ven_Append() {
  automation::trap_and_reraise("CreaRecset_Grst_RecSet_LI10Ven_Append:", [&] {
    pricelists::append_columns(Grst_RecSet_LI10Ven_append, pricelists::price_list_view_columns());
  });
}

void CLSMG_DORSEL::CreaRecset_Grst_RecSet_LI10Acq_Append() {
  automation::trap_and_reraise("CreaRecset_Grst_RecSet_LI10Acq_Append:", [&] {
    pricelists::append_columns(Grst_RecSet_LI10Acq_append, pricelists::price_list_view_columns());
  });
}

}  // namespace dorsel
