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
  // Late binding: every public method and slot by its name, case-insensitively; 438 for a
  // name the interface lacks or a use of a member it does not support.
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

  // Common to every method below unless it says otherwise:
  // - "the company" is ClsGlobal.Gcls_DittaCorrente.CodDitta, read from the host on every use
  //   and written into SQL without quotes; a text that is not a plain number raises 13 before
  //   any statement runs. Item codes and other texts go between quotes, single quotes doubled.
  // - "from the source" means: a new recordset from a new TRAVE_RECSET.RecordsetSource (429
  //   when the class is not registered) replaces the slot's reference (the old recordset is
  //   dropped, not closed), is opened on the stored connection with cursor and lock type
  //   unspecified, as command text, and the source is released. A failure of the opening
  //   leaves the new, unopened recordset in the slot and its query already in the query slot.
  // - "Raises ... under <label>" means trap and re-raise: any error of the body leaves with
  //   its number and description unchanged and "<label>" CR LF put before its source. What
  //   the body did before the failure stays done; nothing is rolled back.

  // --- Frame.
  // Creates the price object into gclsCalcoloPrezzi when it holds none (handing it the host's
  // Gcls_DittaCorrente), then publishes the column layouts of the item and its descriptions:
  // Gstr_SQL_MG66 (all the company's items), Gstr_SQL_MG66_NoRecord (the same, no row) and
  // Gstr_SQL_MG87descr (no row), with Grst_RecSet_MG66 and Grst_RecSet_MG87descr opened from
  // the source on the no-row texts. Raises under "Initialize:".
  void Initialize();

  // --- Item sub-table loaders. Each writes its query slot, then opens its recordset slot
  // from the source. Raises under the method's name and ":", except Init_MG98_INTRA, whose
  // label is "Init_MG98_intra:".
  // The company's variant parameters, flags and applications: layout only (no row), into
  // Gstr_SQL_MG6B/Grst_RecSet_MG6B, Gstr_SQL_MG72/Grst_RecSet_MG72, Gstr_SQL_MG6D/
  // Grst_RecSet_MG6D.
  void Init_MG6B_parametrivarianti();
  void Init_MG72_applicazioni();
  void Init_MG6D_flagvarianti();
  // The item's base-option rows (option ' '), the code as given (trailing blanks kept): notes
  // in every language ordered by language (Gstr_SQL_MG87note/Grst_RecSet_MG87note), stock
  // (MG67), packs (MG68) and fixed locations (MG7A).
  void Init_MG87_note(const std::string& CodiceArticolo);
  void Init_MG67_scorte(const std::string& CodiceArticolo);
  void Init_MG68_confezioni(const std::string& CodiceArticolo);
  void Init_MG7A_infoubic(const std::string& CodiceArticolo);
  // The item's Intrastat rows of every option (Gstr_SQL_MG98/Grst_RecSet_MG98).
  void Init_MG98_INTRA(const std::string& CodiceArticolo);
  // The item's nomenclature history of type IndTipo ordered by year (Gstr_SQL_MG1Q/
  // Grst_RecSet_MG1Q); the text keeps its own spacing.
  void Init_MG1Q_nomenclature_INTRA_art(const std::string& CodiceArticolo, std::int16_t IndTipo);

  // --- Price-list loaders.
  // The item's stored price-list rows of one side, numbered MYID, with empty MG44_DESCLIST
  // and VALUTA columns for the views: TipoListino "0" loads Gstr_SQL_LI10Ven/
  // Grst_RecSet_LI10Ven, "1" loads Gstr_SQL_LI10Acq/Grst_RecSet_LI10Acq (from the source); any
  // other kind loads nothing. Raises under "Init_LI10:".
  void Init_LI10(const std::string& CodiceArticolo, const std::string& TipoListino);
  // The item's last purchase and sale prices (Gstr_SQL_LI11/Grst_RecSet_LI11, from the
  // source); a blank TipoListino means both sides, any other must be a plain number (13).
  // Raises under "Init_LI11_ultimi:".
  void Init_LI11_ultimi(const std::string& CodiceArticolo, const std::string& TipoListino);
  // The validity-date parameters of a price list in Valuta ("EURO" when blank): an open
  // recordset on its first row, owned by the caller, or nullptr when the list has none. No
  // slot is touched. TipoListino and NumeroListino must be plain numbers (13). Raises under
  // "ListiniDateValidita:".
  data::RecordsetPtr ListiniDateValidita(const std::string& TipoListino,
                                         const std::string& NumeroListino,
                                         const std::string& Valuta);

  // --- Price-list views: the disconnected recordsets Grst_RecSet_LI10Ven_append,
  // Grst_RecSet_LI10Acq_append and Grst_RecSet_LI11_append that the price panels show. Each
  // raises under its own name and ":".
  // Declare the 48 columns of the sales or purchase view (the last-prices view's own columns
  // for LI11) on the new, unopened recordset the slot holds; 91 when the slot is empty. A
  // failure leaves the columns declared so far.
  void CreaRecset_Grst_RecSet_LI10Ven_Append();
  void CreaRecset_Grst_RecSet_LI10Acq_Append();
  void CreaRecset_Grst_RecSet_LI11();
  // Fill the view from Grst_RecSet_LI10Ven / Grst_RecSet_LI10Acq / Grst_RecSet_LI11: both
  // filters are dropped for good, then one view row per stored row in stored order, codes
  // decoded into words (LI10: translated through the host's Gcls_MULTILINGUA when a host is
  // set; LI11: fixed words), the list's currency and description looked up (LI10 only), and
  // the net price computed by the price object (created when missing). The view is not
  // emptied first. 91 when either slot is empty. A failure leaves the rows added so far.
  void Trasferisci_in_Grst_RecSet_LI10Ven_Append();
  void Trasferisci_in_Grst_RecSet_LI10Acq_Append();
  void Trasferisci_in_Grst_RecSet_LI11_Append();
  // Hand the view's current row to gclsCalcoloPrezzi (created when missing): currency (Valuta,
  // "EURO" when blank; the row's stored currency for LI11), price, discounts, increases and,
  // when the item (read from the database for every call) has base variation, the three
  // base-variation values. Only members are written; nothing is computed. LI10: without a
  // current row nothing happens. LI11: the item is read and the object made first, then a
  // missing current row raises. 91 without a connection or view.
  void Calcola_PREZZONETTO_LI10Ven(const std::string& Valuta, const std::string& CodiceArticolo);
  void Calcola_PREZZONETTO_LI10Acq(const std::string& Valuta, const std::string& CodiceArticolo);
  void Calcola_PREZZONETTO_LI11(const std::string& CodiceArticolo);

  // --- Panels. ControlloAttivo names the panel, matched whole and case-sensitively: one of
  // "FRMMG_DORSEL_DESCR", "FRMUC_NOTE", "FRMUC_SCORTE", "FRMUC_CONFEZIONI", "FRMUC_INFOUBIC",
  // "FRMUC_INTRA", "FRMUC_LISTINI_ACQ", "FRMUC_LISTINI_VEN", "APPLICAZIONI", "GEST_VARIANTI",
  // "FLAG_VARIANTI", and the last-prices panel ("FRMUC_LISTINI_ULP" for show and clear,
  // "FRMUC_LISTINI_ULP_V" and "FRMUC_LISTINI_ULP_A" for refresh). Any other name does
  // nothing; the company language (the host's LinguaAzienda, "ITA " without a host) is read
  // first whatever the panel, and its error is raised. A panel whose slot holds no recordset
  // raises 91. Every panel method re-opens the recordset object already in the slot, so the
  // host's binding stays valid.
  // Rewrites the keys of every row the panel holds (company, item, side, option, deposit,
  // language) to CodiceArticolo and the current company, storing the panel's query in its
  // query slot; "APPLICAZIONI", "GEST_VARIANTI" and "FLAG_VARIANTI" are re-read first (on the
  // recordset's own connection), the price panels then have their view rebuilt, and the
  // current row is restored by bookmark except on descriptions and notes. "FRMUC_INTRA" first
  // sets the item on Grst_RecSet_MG98's current row (raising 3021 on an empty set before the
  // history is touched). "FRMUC_BASE" and "FRMUC_CPARTFLAFG" are accepted and do nothing. A
  // panel that cannot count its rows (-1) or holds none gets only its query. Raises under
  // "RefreshChild:"; a failure leaves the rows re-keyed so far changed and pending.
  void RefreshChild(const std::string& CodiceArticolo, const std::string& ControlloAttivo);
  // Re-reads the panel's rows for CodiceArticolo and the company: stores the panel's query in
  // its query slot, closes the slot's recordset when open and opens it again on the stored
  // connection (keeping its cursor and lock type). "FRMUC_INTRA" reads Grst_RecSet_MG98, then
  // Grst_RecSet_MG1Q; the price panels then rebuild their view (InitializeRecordsetLI10Acq,
  // ...LI10Ven, ...LI11). Raises under "ShowChild:"; a failure leaves the query slot written
  // and the recordset closed or half re-read.
  void ShowChild(const std::string& CodiceArticolo, const std::string& ControlloAttivo);
  // Empties the panel while keeping its columns: re-opens the slot's recordset on a no-row
  // query of its table, stored in the query slot. The price views are left as they are.
  // "GEST_VARIANTI" and "FLAG_VARIANTI" are closed without a look at their state, so clearing
  // one that is not open raises 3704. Raises under "ClearChild:"; a failure leaves as
  // ShowChild's does.
  void ClearChild(const std::string& ControlloAttivo);

  // --- View initialisers: rebuild a price view from its source slot. The old view is closed
  // (when open) and dropped, a new disconnected recordset goes into the slot, is declared
  // (CreaRecset_...), opened without a source and filled (Trasferisci_in_...). Raise under
  // their own name and ":", with the failing step's label inside; a failure leaves the new
  // view in the slot as far as it got.
  void InitializeRecordsetLI10Ven();
  void InitializeRecordsetLI10Acq();
  void InitializeRecordsetLI11();

  // --- Catalogue images, attachments and the catalogue service.
  // The item's catalogue images and documents (Grst_RecSet_Immagini) or its article and brand
  // on the catalogue service (Grst_RecSet_ArticoloMarca), opened from the source and also
  // returned; a result without rows empties the slot and returns nullptr. Raise under
  // "Get_PathImage:" / "Get_ArticoloEMarca:".
  data::RecordsetPtr Get_PathImage(const std::string& CodiceArticolo);
  data::RecordsetPtr Get_ArticoloEMarca(const std::string& CodiceArticolo);
  // Reads attachment IdAllegato into Grst_RecSet_CL07 (from the source). With GetUrl, returns
  // its link. Otherwise writes its content to PathTemp + its file name (a file already there
  // is kept), adds the name to ListFileToDelete and returns the path; PathTemp when there is
  // no such attachment. Never raises: any failure, or a file name that could leave the
  // folder, returns "about:blank" and leaves what was done so far.
  std::string GetPathFileAllegato(std::int16_t IdAllegato, const std::string& PathTemp,
                                  bool GetUrl);
  // Deletes the attachment's stored file and marks it as not downloaded: two statements on
  // the stored connection, each run even if the other fails. IdAllegato must be a plain
  // number, else neither runs. Never raises.
  void RemoveAllegato(const std::string& IdAllegato);
  // The company's account on the catalogue service into Grst_RecSet_IL00 (from the source),
  // left open even without a row. Raises under "RecuperaUtenzaSorvano:".
  void RecuperaUtenzaSorvano();
  // Deletes from PathTemp every file named in ListFileToDelete (";"-separated); names that
  // could leave the folder, missing files and failing deletions are skipped. The list is kept.
  // Never raises.
  void RemoveAllFile(const std::string& PathTemp);
  // Whether the company has an active catalogue-service configuration and brands on the
  // service. Never raises: any failure answers false.
  bool IsSorvanoAttivo();

  // --- Lookups: one query on the stored connection, the first row's column, a default when
  // no row comes back. The first group raises under the method's name and ":" (91 without a
  // connection); texts are trimmed before they go into the query, ids go in as numbers.
  // The priority id of a code (0 when none).
  std::int16_t Get_MG66_ID_LP09(const std::string& strLP09_CODICE);
  // The code of a priority id, whatever the company ("" when none).
  std::string Get_LP09_CODICE(const std::string& intLP09_ID);
  // Whether the company's retail configuration is active (false without one).
  bool GestioneVelmarRetail();
  // The product-class id of a code (-1 when none).
  std::int16_t Get_RE37_ID(const std::string& strRE37_CODCLASSEPROD);
  // The product-class code of an id ("" when none).
  std::string Get_RE37_CODCLASSEPROD(std::int16_t intRE37_ID);
  // The compensation VAT code of an agricultural VAT code, untrimmed ("" when none).
  std::string GetCodIvaCompensazione(const std::string& CodIva);
  // These never raise: each step that fails is skipped, and the answer is the default ("").
  // The item code (as stored, blanks kept) whose internal code is strAlias.
  std::string EsisteAlias(const std::string& strAlias);
  // The currency and the description of price list NumList of side VenAcq (0 sales, 1
  // purchases); NumList is passed by reference and only read.
  std::string RecuperaValuta(std::int16_t VenAcq, std::int16_t& NumList);
  std::string RecuperaDescrizioneListino(std::int16_t VenAcq, std::int16_t& NumList);

  // --- Checks on the rows the user is editing, pending edits included, never the database.
  // Each works on a clone, so the slot's filter and current row do not move; Boolean variants.
  // Raise under their own name and ":"; 91 when the slot is empty.
  // More than one pack of Grst_RecSet_MG68 flagged preferred.
  automation::Variant EsisteConfezionePreferenziale();
  // A clash of preferred deposits in Grst_RecSet_MG67: more than one flagged row (a single
  // flagged row is let through).
  automation::Variant EsisteDepositoPreferenziale();
  // More than one row of Grst_RecSet_MG67 whose withdrawal/deposit indicator overlaps that of
  // the slot's current row (3 overlaps 1 and 2; any other indicator counts every row).
  automation::Variant EsisteDepositoPrelievoVersamento();

  // --- Nomenclature history. Keeps CodNomenclatura as the item's code of type IndFittizio
  // valid to the end of last year: when one is already kept for that year the user is asked
  // ("Modifica codice nomenclatura Intra") and a No returns false with nothing changed; else
  // the old row is deleted and the new one inserted (no transaction: a failing insert leaves
  // the year without a row). True when inserted. The parameters are by reference and only
  // read. Raises under "StoricizzaNomenclaturaIntra:".
  bool StoricizzaNomenclaturaIntra(std::string& CodNomenclatura, std::string& CodArticolo,
                                   std::int16_t& IndFittizio);
  // Read-only property: the company's localisation indicator (0 when unknown). Never raises.
  std::int16_t LocalizzazioneAzienda();

  // --- For the frame's helpers (not part of the automation interface).
  // The instance identifier: 32 upper-case hexadecimal digits, or "" when no GUID could be
  // made (then the next request tries again).
  std::string IdIstanza();
  // The connection stored by SetConnessione, or nullptr.
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
  // Drops the recordset source that take_new_recordset left held.
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
