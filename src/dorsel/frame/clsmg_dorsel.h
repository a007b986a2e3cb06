// CLSMG_DORSEL: the item-master business object of TRAVE_DORSEL.
//
// A host creates it, hands it a database connection (Connessione) and its own global object
// (ActiveInterface), calls Initialize, and then drives it with loaders, panel methods, lookups,
// checks and attachment operations. The object answers by building SQL text in SQL Server's
// dialect, opening recordsets over the host's connection and publishing them in its public
// slots; the text of each query stays readable in a query slot.
//
// Every public method follows one of the error modes of the component: trap and re-raise (the
// error leaves with the method's label and CR LF put in front of its source), ignore and
// continue, or trap and return quietly. The whole interface is also reachable by member name
// (invoke), as the dual interface allows.
//
// Apartment-threaded: one thread, one call at a time. The recordsets in the slots are shared
// with the host; releasing the object drops its references without closing them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/object.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "prezzi/price_calculation.h"

namespace dorsel {

// Class names under which the component and its recordset source are created.
inline constexpr std::string_view kClassName = "TRAVE_DORSEL.CLSMG_DORSEL";
inline constexpr std::string_view kRecordsetSourceClass = "TRAVE_RECSET.RecordsetSource";

// The interface keeps its original names, parameters included.
// NOLINTBEGIN(readability-identifier-naming)
class CLSMG_DORSEL : public automation::Object {
 public:
  // Writes the "INI" trace line.
  CLSMG_DORSEL();
  // Writes the "TER" trace line and drops every reference; nothing is closed or deleted.
  ~CLSMG_DORSEL() override;
  CLSMG_DORSEL(const CLSMG_DORSEL&) = delete;
  CLSMG_DORSEL& operator=(const CLSMG_DORSEL&) = delete;

  std::string_view type_name() const override { return "CLSMG_DORSEL"; }
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;
  // Whether a name is a method or a property of the interface (case-insensitive), or neither.
  static automation::MemberKind member_kind(std::string_view name);

  // --- Recordset slots, in interface order (shared with the host; nullptr = no object).
  data::RecordsetPtr Grst_RecSet_MG66;
  data::RecordsetPtr Grst_RecSet_MG87descr;
  data::RecordsetPtr Grst_RecSet_MG87note;
  data::RecordsetPtr Grst_RecSet_Immagini;
  data::RecordsetPtr Grst_RecSet_ArticoloMarca;
  data::RecordsetPtr Grst_RecSet_MG67;
  data::RecordsetPtr Grst_RecSet_MG68;
  data::RecordsetPtr Grst_RecSet_MG7A;
  data::RecordsetPtr Grst_RecSet_MG72;
  data::RecordsetPtr Grst_RecSet_MG98;
  data::RecordsetPtr Grst_RecSet_MG6D;
  data::RecordsetPtr Grst_RecSet_MG6B;
  data::RecordsetPtr Grst_RecSet_MG1Q;
  data::RecordsetPtr Grst_RecSet_LI10Ven;
  data::RecordsetPtr Grst_RecSet_LI10Ven_append;
  data::RecordsetPtr Grst_RecSet_LI10Acq;
  data::RecordsetPtr Grst_RecSet_LI10Acq_append;
  data::RecordsetPtr Grst_RecSet_LI11;
  data::RecordsetPtr Grst_RecSet_LI11_append;

  // --- Query slots, in interface order.
  std::string Gstr_SQL_MG66;
  std::string Gstr_SQL_MG66_NoRecord;
  std::string Gstr_SQL_MG72;
  std::string Gstr_SQL_MG87descr;
  std::string Gstr_SQL_MG87note;
  std::string Gstr_SQL_MG67;
  std::string Gstr_SQL_MG68;
  std::string Gstr_SQL_MG7A;
  std::string Gstr_SQL_MG98;
  std::string Gstr_SQL_MG6B;
  std::string Gstr_SQL_MG6D;
  std::string Gstr_SQL_LI10Ven;
  std::string Gstr_SQL_LI10Acq;
  std::string Gstr_SQL_LI11;
  std::string Gstr_SQL_MG1Q;

  // --- The price object, two more slots and the list of attachment files.
  prezzi::PriceCalculationPtr gclsCalcoloPrezzi;
  data::RecordsetPtr Grst_RecSet_CL07;
  data::RecordsetPtr Grst_RecSet_IL00;
  std::string ListFileToDelete;

  // --- Host references (no error trap).
  // The stored connection, or nullptr.
  automation::ObjectPtr Connessione() const { return connection_; }
  // Stores a connection; nullptr clears it. Raises 13 (type mismatch) for an object that is not
  // a connection, leaving the stored one unchanged.
  void SetConnessione(const automation::ObjectPtr& connection);
  // The host's global object as stored (an Empty variant when never set). Never raises.
  automation::Variant ActiveInterface() const { return host(); }
  // Stores the object a variant holds (Nothing clears it); a variant holding no object
  // reference leaves the stored one unchanged. The instance itself is stored without being
  // owned, so that releasing it still frees it. Never raises.
  void SetActiveInterface(const automation::Variant& host);

  // --- Frame.
  void Initialize();

  // --- Item sub-table loaders.
  void Init_MG6B_parametrivarianti();
  void Init_MG72_applicazioni();
  void Init_MG6D_flagvarianti();
  void Init_MG87_note(const std::string& CodiceArticolo);
  void Init_MG67_scorte(const std::string& CodiceArticolo);
  void Init_MG68_confezioni(const std::string& CodiceArticolo);
  void Init_MG7A_infoubic(const std::string& CodiceArticolo);
  void Init_MG98_INTRA(const std::string& CodiceArticolo);
  void Init_MG1Q_nomenclature_INTRA_art(const std::string& CodiceArticolo, std::int16_t IndTipo);

  // --- Price-list loaders.
  void Init_LI10(const std::string& CodiceArticolo, const std::string& TipoListino);
  void Init_LI11_ultimi(const std::string& CodiceArticolo, const std::string& TipoListino);
  // An open recordset on its first row, or nullptr when the price list has no parameters.
  data::RecordsetPtr ListiniDateValidita(const std::string& TipoListino,
                                         const std::string& NumeroListino,
                                         const std::string& Valuta);

  // --- Price-list views.
  void CreaRecset_Grst_RecSet_LI10Ven_Append();
  void Trasferisci_in_Grst_RecSet_LI10Ven_Append();
  void Calcola_PREZZONETTO_LI10Ven(const std::string& Valuta, const std::string& CodiceArticolo);
  void CreaRecset_Grst_RecSet_LI10Acq_Append();
  void Trasferisci_in_Grst_RecSet_LI10Acq_Append();
  void Calcola_PREZZONETTO_LI10Acq(const std::string& Valuta, const std::string& CodiceArticolo);
  void CreaRecset_Grst_RecSet_LI11();
  void Trasferisci_in_Grst_RecSet_LI11_Append();
  void Calcola_PREZZONETTO_LI11(const std::string& CodiceArticolo);

  // --- Panels.
  void RefreshChild(const std::string& CodiceArticolo, const std::string& ControlloAttivo);
  void ShowChild(const std::string& CodiceArticolo, const std::string& ControlloAttivo);
  void ClearChild(const std::string& ControlloAttivo);

  // --- View initialisers.
  void InitializeRecordsetLI10Ven();
  void InitializeRecordsetLI10Acq();
  void InitializeRecordsetLI11();

  // --- Catalogue images, attachments and the catalogue service.
  data::RecordsetPtr Get_PathImage(const std::string& CodiceArticolo);
  data::RecordsetPtr Get_ArticoloEMarca(const std::string& CodiceArticolo);
  std::string GetPathFileAllegato(std::int16_t IdAllegato, const std::string& PathTemp,
                                  bool GetUrl);
  void RemoveAllegato(const std::string& IdAllegato);
  void RecuperaUtenzaSorvano();
  void RemoveAllFile(const std::string& PathTemp);
  bool IsSorvanoAttivo();

  // --- Lookups.
  std::int16_t Get_MG66_ID_LP09(const std::string& strLP09_CODICE);
  std::string Get_LP09_CODICE(const std::string& intLP09_ID);
  bool GestioneVelmarRetail();
  std::int16_t Get_RE37_ID(const std::string& strRE37_CODCLASSEPROD);
  std::string Get_RE37_CODCLASSEPROD(std::int16_t intRE37_ID);
  std::string EsisteAlias(const std::string& strAlias);
  // NumList is passed by reference and only read.
  std::string RecuperaValuta(std::int16_t VenAcq, std::int16_t& NumList);
  std::string RecuperaDescrizioneListino(std::int16_t VenAcq, std::int16_t& NumList);
  std::string GetCodIvaCompensazione(const std::string& CodIva);

  // --- Checks (Boolean variants).
  automation::Variant EsisteConfezionePreferenziale();
  automation::Variant EsisteDepositoPreferenziale();
  automation::Variant EsisteDepositoPrelievoVersamento();

  // --- Nomenclature history; the parameters are by reference and only read.
  bool StoricizzaNomenclaturaIntra(std::string& CodNomenclatura, std::string& CodArticolo,
                                   std::int16_t& IndFittizio);
  // Read-only property.
  std::int16_t LocalizzazioneAzienda();

  // --- For the frame's helpers (not part of the automation interface).
  // The instance identifier: 32 upper-case hexadecimal digits, or "" when no GUID could be
  // made (then the next request tries again).
  std::string IdIstanza();
  const data::ConnectionPtr& connection() const { return connection_; }
  // The host's global object as the component calls it (see ActiveInterface).
  automation::Variant host() const;
  // The host's company code as the text written into queries (ClsGlobal.Gcls_DittaCorrente.
  // CodDitta, read anew on every call). Raises 13 when its text is not a plain number.
  std::string company_code_text() const;
  // A new recordset from a new recordset source (held in the source reference meanwhile).
  data::RecordsetPtr take_new_recordset();
  // Opening a slot from the source: a new recordset into the slot, opened on `sql` with the
  // stored connection, cursor and lock type unspecified, command text; source released.
  void open_slot_from_source(data::RecordsetPtr& slot, const std::string& sql);
  // Creates the price object when gclsCalcoloPrezzi holds none and hands it the host's
  // current-company object.
  void create_price_object();
  void release_recordset_source() { recordset_source_.reset(); }

 private:
  static std::string CreaIdIstanza();
  void write_trace(std::string_view marker);

  std::string instance_id_;
  automation::ObjectPtr recordset_source_;
  data::ConnectionPtr connection_;
  automation::Variant host_;
  bool host_is_self_ = false;  // the instance is its own host: host_ holds nothing
};
// NOLINTEND(readability-identifier-naming)

// Registers CLSMG_DORSEL (and the price library's class, which Initialize creates) in the
// object factory.
void register_classes();

}  // namespace dorsel
