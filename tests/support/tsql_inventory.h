// Every statement text the component writes, built from its fixed pieces exactly as the
// component concatenates them (CR LF between lines, blanks kept), with sample values: company
// 1, item 'VITE M6X20', language 'ITA '. Used by the translator's inventory test and by its
// benchmark. Header-only so the benchmark can use it without the test libraries.
#pragma once

#include <string>
#include <vector>

namespace tsql_inventory {

struct Statement {
  std::string name;
  std::string text;
};

inline constexpr const char* kCrLf = "\r\n";

// Lines joined by CR LF: the one-clause-per-line layout of the panel queries.
inline std::string lines(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) {
    if (!out.empty()) out += kCrLf;
    out += part;
  }
  return out;
}

// The company query frame: SELECT * FROM table WHERE company column = company.
inline std::string frame(const std::string& table, const std::string& company_column,
                         const std::string& star = "     * ") {
  return std::string(" SELECT ") + kCrLf + star + kCrLf + " FROM " + kCrLf + "     " + table + " " +
         kCrLf + " WHERE " + kCrLf + "     " + company_column + " = 1 ";
}

// The short name of a catalogue document, as the list query writes it.
inline std::string short_name_block() {
  const std::string cleaned =
      "REPLACE(REPLACE(REPLACE(CL06_NOMEFILE , LTRIM(RTRIM(CL06_TIPOFILE)), ''), '.', ''), "
      "CL06_SIGLATIPO + '_', '**')";
  return std::string("      CL06_SIGLATIPO + ' ' +  ") + "        SUBSTRING(" + cleaned + ", " +
         "                    CHARINDEX('**', " + cleaned + ") + 2 " + "                    , " +
         "                    LEN(" + cleaned + ") - " +
         "                        CHARINDEX('**', " + cleaned + ") + 1 " +
         "                        ) ";
}

inline std::string path_image_query(const std::string& company, const std::string& item) {
  const std::string s = short_name_block();
  return std::string("             SELECT ") + "    CL06_ID " + "  , CASE CL06_TIPO " +
         "      WHEN 0 THEN 'Immagine Estetica'" + "      WHEN 1 THEN 'Immagine Estetica piccola'" +
         "      WHEN 2 THEN 'Immagine Tecnica'" + "      WHEN 3 THEN 'Immagine Tecnica piccola'" +
         "      WHEN 4 THEN 'Allegato Linea'" + "      WHEN 5 THEN 'Allegato Modello'" +
         "      WHEN 6 THEN 'Allegato Articolo'" + "      END AS CL06_DESTIPO" +
         "  , CASE CL06_TIPO" + "     WHEN 0 THEN" + "         CL06_NOMEFILE" + "     WHEN 1 THEN" +
         "         'THB_' + CL06_NOMEFILE" + "     WHEN 2 THEN" + "         CL06_NOMEFILE" +
         "     WHEN 3 THEN" + "         'THB_' + CL06_NOMEFILE" + "      WHEN 4 THEN" + s +
         "      WHEN 5 THEN" + s + "      WHEN 6 THEN" + s + "      ELSE" +
         "          CL06_NOMEFILE" + "      END" + "    AS CL06_NOMEFILE " +
         "  , CASE UPPER(CL06_TIPOFILE) " + "      WHEN 'PDF' THEN 'PDF' " + "      ELSE 'FILE' " +
         "    END AS CL06_TIPOFILE " + "  , CASE ISNULL(CL06_DIMENSIONE, 0) " +
         "      WHEN 0 THEN ''" +
         "      ELSE REPLACE(CONVERT(VARCHAR,CONVERT(MONEY,CAST((CL06_DIMENSIONE / 1048576) AS "
         "NUMERIC(14, 2))),1), '.00','') +  ' MB'" +
         "      END AS CL06_DIMENSIONE " + "  , CL06_LINK " +
         "  , CASE ISNULL(CL06_ISDOWNLOADED, 0)" + "      WHEN 0 THEN 'DOWN'" +
         "      ELSE 'VIEW'" + "    END AS CL06_ISDOWNLOADED " + " , 'ERASE' AS CL06_DELETE" +
         " , CL02_CODICE AS CodiceArticoloSorvano" + " , IL01_CODICE_IL02  AS CodiceMarcaSorvano" +
         " FROM " + "   CL03_LEGAMI " +
         " LEFT OUTER JOIN CL02_ANAGCATALOGO ON CL03_ID_CL02 = CL02_ID " +
         "                                   AND CL03_DITTA_CG18 = CL02_DITTA_CG18 " +
         " LEFT OUTER JOIN CL01_TIPI ON CL02_DITTA_CG18 = CL01_DITTA_CG18" +
         "                                   AND CL02_CODICE_CL01 = CL01_CODICE" +
         " LEFT OUTER JOIN CL06_LISTAALLEGATI ON CL02_ID = CL06_ID_CL02 " +
         "                                     AND CL02_DITTA_CG18 = CL06_DITTA_CG18 " +
         " LEFT OUTER JOIN IL01_MARCHEDITTA ON IL01_DITTA_CG18 = CL01_DITTA_CG18" +
         "                                 AND IL01_CODICE_CL01 = CL01_CODICE" +
         " LEFT OUTER JOIN IL00_CONFIG_GDPR ON IL00_DITTA_CG18 = IL01_DITTA_CG18" + " WHERE " +
         "     CL03_DITTA_CG18 = " + company + " AND CL03_CODART_MG66 = '" + item + "'" +
         " AND ISNULL(CL06_TIPO,0) IN (0,1,2,3,4,5,6)" +
         " AND ((ISNULL(CL06_ISDOWNLOADED, 0) = 1)" +
         " OR (ISNULL(IL00_STATO, 0) = 1 AND ISNULL(CL06_ISDOWNLOADED,0) = 0))";
}

inline std::string applications_query(const std::string& where) {
  return lines(
      {"SELECT MG72_DITTA_CG18, MG72_CODART_MG66, MG72_CODAPPLIC_MG57, "
       "MG0S_DESCRIZIONE AS MG57_DESCRAPPLIC",
       "FROM MG57_APPLICAZIONI",
       "LEFT JOIN MG0S_DESLINGUA WITH (NOLOCK) ON MG0S_CODLINGUA_MG52 = 'ITA ' AND "
       "MG0S_PROVID_FW4A = 1029 AND MG0S_IDPROV = MG57_IDPROV",
       "INNER JOIN MG72_APPLICART ON MG57_DITTA_CG18 = MG72_DITTA_CG18 AND "
       "MG57_CODAPPLIC = MG72_CODAPPLIC_MG57",
       where});
}

inline std::vector<Statement> statements() {
  const std::string item = "VITE M6X20";
  const std::string q = "'" + item + "'";
  std::vector<Statement> s;
  auto add = [&](std::string name, std::string text) {
    s.push_back({std::move(name), std::move(text)});
  };

  // Initialize and the item sub-table loaders.
  const std::string mg66 = frame("MG66_ANAGRART", "MG66_DITTA_CG18");
  add("Initialize MG66", mg66);
  add("Initialize MG66 no record", mg66 + " AND 1=0 ");
  add("Initialize MG87descr", frame("MG87_ARTDESC", "MG87_DITTA_CG18") + kCrLf + "     AND 1 = 0 ");
  for (const char* table : {"MG6B_GESVARART", "MG72_APPLICART", "MG6D_FLGTABARTVAR"}) {
    const std::string code(table, 4);
    add(std::string("Init ") + code, frame(table, code + "_DITTA_CG18") + kCrLf + "     AND 1 = 0");
  }
  add("Init_MG87_note", frame("MG87_ARTDESC", "MG87_DITTA_CG18") + kCrLf +
                            " AND MG87_CODART_MG66 = " + q + " " + kCrLf +
                            " AND MG87_OPZIONE_MG5E = ' ' " + kCrLf + " ORDER BY MG87_LINGUA_MG52");
  for (const char* table : {"MG67_SCORTE", "MG68_CONFART", "MG7A_UBICAZARTFIX"}) {
    const std::string code(table, 4);
    add(std::string("Init ") + code, frame(table, code + "_DITTA_CG18") + kCrLf + " AND " + code +
                                         "_CODART_MG66 = " + q + " " + kCrLf + " AND " + code +
                                         "_OPZIONE_MG5E = ' ' ");
  }
  add("Init_MG98_INTRA",
      frame("MG98_MAGINTRA", "MG98_DITTA_CG18") + kCrLf + " AND MG98_CODART_MG66 = " + q + " ");
  add("Init_MG1Q_nomenclature_INTRA_art",
      frame("MG1Q_ARTNOMENCLATURE", "MG1Q_DITTA_CG18", "    * ") + kCrLf +
          " AND MG1Q_CODART_MG66 = " + q + " AND MG1Q_INDTIPO=-1 ORDER BY MG1Q_ANNO");

  // Price-list loaders.
  add("Init_LI10",
      std::string("SELECT ") + kCrLf + "   ROW_NUMBER() OVER(ORDER BY LI10_NUMLIST ASC) AS MYID " +
          kCrLf + "     ,* " + kCrLf + "     , '' AS MG44_DESCLIST " + kCrLf +
          "     , '' AS VALUTA " + kCrLf + "   FROM LI10_LISTARTIC " + kCrLf + " WHERE " + kCrLf +
          "     LI10_DITTA_CG18 = 1 " + kCrLf + " AND LI10_FLGVENDACQ = 0" + kCrLf +
          " AND LI10_CODART_MG66 = " + q + " " + kCrLf + " AND LI10_OPZIONE_MG5E = ' ' " + kCrLf +
          " AND LI10_DEPOS_MG58 = ' ' " + kCrLf +
          " ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL");
  const std::string li11 = frame("LI11_ULTPRACQVEN", "LI11_DITTA_CG18") + kCrLf +
                           " AND LI11_CODART_MG66 = " + q + " " + kCrLf +
                           " AND LI11_OPZIONE_MG5E = ' ' ";
  add("Init_LI11_ultimi both kinds", li11);
  add("Init_LI11_ultimi purchases", li11 + kCrLf + " AND LI11_FLGVENACQ  = 1");
  add("ListiniDateValidita", std::string(" SELECT ") + kCrLf + "     MG44_INDPROPDATAINI, " +
                                 kCrLf + "     MG44_INDPROPDATAFINE, " + kCrLf +
                                 "     MG44_PROPDATAINI, " + kCrLf + "     MG44_PROPDATAFINE " +
                                 kCrLf + " FROM " + kCrLf + "     MG44_PARMAGLIST WITH (NOLOCK) " +
                                 kCrLf + " WHERE " + kCrLf + "     MG44_DITTA_CG18 = 1 " + kCrLf +
                                 " AND MG44_FLGVENACQ = 0" + kCrLf + " AND MG44_NUMLIST = 1" +
                                 kCrLf + " AND MG44_VALUTA_CG08 = 'EURO'");

  // Net price: the item's base-variation flag.
  add("Calcola_PREZZONETTO base variation",
      std::string(" SELECT ") + kCrLf + "     MG66_FLGBASEVAR " + kCrLf + " FROM " + kCrLf +
          "     MG66_ANAGRART " + kCrLf + " WHERE MG66_DITTA_CG18 = 1" + kCrLf +
          " AND MG66_CODART ='" + item + "'");

  // Panel refresh.
  add("RefreshChild descriptions",
      lines({"SELECT * FROM MG87_ARTDESC", "WHERE MG87_DITTA_CG18 = 1",
             "AND MG87_CODART_MG66 = " + q, "AND MG87_OPZIONE_MG5E = ' '",
             "AND MG87_LINGUA_MG52 = ' '"}));
  for (const char* table : {"MG67_SCORTE", "MG68_CONFART", "MG7A_UBICAZARTFIX"}) {
    const std::string code(table, 4);
    add(std::string("RefreshChild ") + code,
        lines({std::string("SELECT * FROM ") + table, "WHERE " + code + "_DITTA_CG18 = 1",
               "AND " + code + "_CODART_MG66 = " + q, "AND " + code + "_OPZIONE_MG5E = ' '"}));
  }
  add("RefreshChild MG1Q", lines({"SELECT * FROM MG1Q_ARTNOMENCLATURE", "WHERE MG1Q_DITTA_CG18 = 1",
                                  "AND MG1Q_CODART_MG66 = " + q}));
  for (const char* kind : {"1", "0"}) {
    add(std::string("RefreshChild LI10 ") + kind,
        lines({"SELECT * FROM LI10_LISTARTIC", "WHERE LI10_DITTA_CG18 = 1",
               "AND LI10_CODART_MG66 = " + q, std::string("AND LI10_FLGVENDACQ = ") + kind,
               "AND LI10_INDTIPOLIS = 0", "AND LI10_OPZIONE_MG5E = ' '",
               "AND LI10_DEPOS_MG58 = ' '",
               "ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL"}));
  }
  add("RefreshChild LI11", lines({"SELECT * FROM LI11_ULTPRACQVEN", "WHERE LI11_DITTA_CG18 = 1",
                                  "AND LI11_CODART_MG66 = " + q, "AND LI11_INDTIPOLIS = 0",
                                  "AND LI11_OPZIONE_MG5E = ' '", "AND LI11_DEPOS_MG58 = ' '"}));
  add("RefreshChild notes", lines({"SELECT * FROM MG87_ARTDESC", "WHERE MG87_DITTA_CG18 = 1",
                                   "AND MG87_CODART_MG66 = " + q, "AND MG87_OPZIONE_MG5E = ' '"}));
  add("RefreshChild applications",
      applications_query("WHERE MG72_DITTA_CG18 = 1 AND MG72_CODART_MG66 = " + q));
  add("RefreshChild variants",
      lines({"SELECT * FROM MG6B_GESVARART",
             "LEFT OUTER JOIN MG5G_RAGGVAR ON MG6B_DITTA_CG18 = MG5G_DITTA_CG18 AND "
             "MG6B_CODICEVAR_MG5F = MG5G_CODICEVAR_MG5F AND MG6B_CODRAGGVAR_MG5G = "
             "MG5G_CODRAGGVAR",
             "WHERE MG6B_DITTA_CG18 = 1", "AND MG6B_CODART_MG66 = " + q,
             "ORDER BY MG6B_CODICEVAR_MG5F"}));
  add("RefreshChild variant flags",
      lines({"SELECT * FROM MG6D_FLGTABARTVAR", "WHERE MG6D_DITTA_CG18 = 1",
             "AND MG6D_CODART_MG66 = " + q, "ORDER BY MG6D_PROG"}));

  // Panel show: the queries that differ from the refresh ones.
  for (const char* kind : {"1", "0"}) {
    add(std::string("ShowChild LI10 ") + kind,
        lines({"SELECT ROW_NUMBER() OVER(ORDER BY LI10_NUMLIST ASC) AS MYID, *",
               "FROM LI10_LISTARTIC", "WHERE LI10_DITTA_CG18 = 1",
               std::string("AND LI10_FLGVENDACQ = ") + kind, "AND LI10_CODART_MG66 = " + q,
               "AND LI10_OPZIONE_MG5E = ' '", "AND LI10_DEPOS_MG58 = ' '",
               "ORDER BY LI10_NUMLIST, LI10_DATAFINEVAL, LI10_DATAINIZIOVAL"}));
  }
  add("ShowChild MG98", lines({"SELECT * FROM MG98_MAGINTRA", "WHERE MG98_DITTA_CG18 = 1",
                               "AND MG98_CODART_MG66 = " + q}));
  add("ShowChild LI11", lines({"SELECT * FROM LI11_ULTPRACQVEN", "WHERE LI11_DITTA_CG18 = 1",
                               "AND LI11_CODART_MG66 = " + q, "AND LI11_OPZIONE_MG5E = ' '"}));

  // Panel clear.
  for (const char* table : {"MG87_ARTDESC", "MG67_SCORTE", "MG68_CONFART", "MG7A_UBICAZARTFIX",
                            "MG98_MAGINTRA", "MG1Q_ARTNOMENCLATURE", "LI10_LISTARTIC",
                            "LI11_ULTPRACQVEN", "MG6B_GESVARART", "MG6D_FLGTABARTVAR"}) {
    add(std::string("ClearChild ") + table, std::string("SELECT * FROM ") + table + " WHERE 1=0");
  }
  add("ClearChild applications", applications_query("WHERE 1=0"));

  // Catalogue images, attachments and account.
  add("Get_PathImage", path_image_query("1", item));
  add("Get_ArticoloEMarca",
      std::string("           SELECT ") + "   CL02_CODICE AS CodiceArticoloSorvano" +
          " , IL01_CODICE_IL02  AS CodiceMarcaSorvano" + " FROM " + "   CL03_LEGAMI " +
          " LEFT OUTER JOIN CL02_ANAGCATALOGO ON CL03_ID_CL02 = CL02_ID " +
          "                                   AND CL03_DITTA_CG18 = CL02_DITTA_CG18 " +
          " LEFT OUTER JOIN CL01_TIPI ON CL02_DITTA_CG18 = CL01_DITTA_CG18" +
          "                                   AND CL02_CODICE_CL01 = CL01_CODICE" +
          " LEFT OUTER JOIN IL01_MARCHEDITTA ON IL01_DITTA_CG18 = CL01_DITTA_CG18" +
          "                                 AND IL01_CODICE_CL01 = CL01_CODICE" +
          " LEFT OUTER JOIN IL00_CONFIG_GDPR ON IL00_DITTA_CG18 = IL01_DITTA_CG18" + " WHERE " +
          "     CL03_DITTA_CG18 = " + "1" + " AND CL03_CODART_MG66 = '" + item + "'");
  add("GetPathFileAllegato",
      std::string("         SELECT ") + " CASE CL06_TIPO" + "    WHEN 0 THEN" +
          "        CL06_NOMEFILE" + "    WHEN 1 THEN" + "        'THB_' + CL06_NOMEFILE" +
          "    WHEN 2 THEN" + "        CL06_NOMEFILE" + "    WHEN 3 THEN" +
          "        'THB_' + CL06_NOMEFILE" + "    ELSE CL06_NOMEFILE END AS CL06_NOMEFILE" +
          "     ,CL07_FILE " + "     ,CL06_LINK " + " FROM " + "     CL06_LISTAALLEGATI " +
          " LEFT OUTER JOIN CL07_FILEALLEGATI ON CL07_ID_CL06 = CL06_ID " +
          " WHERE CL06_ID = " + "7");
  add("RemoveAllegato delete", "DELETE FROM CL07_FILEALLEGATI WHERE CL07_ID_CL06 = 7");
  add("RemoveAllegato update",
      "UPDATE CL06_LISTAALLEGATI SET CL06_ISDOWNLOADED = 0 , CL06_DATADOWNLOAD = NULL WHERE "
      "CL06_ID =7");
  add("RecuperaUtenzaSorvano",
      std::string("          SELECT TOP 1 ") + "       IL00_DITTA_CG18 " + "     , IL00_USERNAME " +
          "     , IL00_PASSWORD " + "     , IL00_STATO " + "     , IL00_PATHCSV  " +
          "     , IL00_DOMINIO_WS  " + "     , IL00_MODULO  " + " FROM  " +
          "     IL00_CONFIG_GDPR  " + " WHERE  " + "     IL00_DITTA_CG18 = " + "1" +
          " AND IL00_MODULO = 'SORVANO'");
  add("IsSorvanoAttivo",
      std::string(" SELECT ") + kCrLf + "    IL00_DITTA_CG18 " + kCrLf + " FROM " + kCrLf +
          "    IL00_CONFIG_GDPR " + kCrLf + " INNER JOIN IL01_MARCHEDITTA ON" + kCrLf +
          "     IL01_DITTA_CG18 = IL00_DITTA_CG18" + kCrLf + " WHERE " +
          "    IL00_DITTA_CG18 = " + "1" + kCrLf + "    AND ISNULL(IL00_STATO,0)  = 1 " + kCrLf +
          " GROUP BY " + kCrLf + "    IL00_DITTA_CG18");

  // Code lookups.
  add("Get_MG66_ID_LP09", lines({"SELECT LP09_ID FROM LP09_TESTATAPRIORITA",
                                 "WHERE LP09_CODICE = 'P1'", "AND LP09_DITTA_CG18 = 1"}));
  add("Get_LP09_CODICE",
      lines({"SELECT LP09_CODICE FROM LP09_TESTATAPRIORITA", "WHERE LP09_ID = 3"}));
  add("GestioneVelmarRetail", " SELECT * FROM RE01_CONFIGRETAIL WHERE RE01_DITTA_CG18 = 1");
  add("Get_RE37_ID", lines({"SELECT RE37_ID FROM RE37_CLASSIPROD",
                            "WHERE RE37_CODCLASSEPROD = 'FERR'", "AND RE37_DITTAMASTER_CG18 = 1"}));
  add("Get_RE37_CODCLASSEPROD", lines({"SELECT RE37_CODCLASSEPROD FROM RE37_CLASSIPROD",
                                       "WHERE RE37_ID = 4", "AND RE37_DITTAMASTER_CG18 = 1"}));
  add("EsisteAlias", lines({"SELECT MG66_CODART FROM MG66_ANAGRART",
                            "WHERE MG66_CODINTERNO = 'A-100'", "AND MG66_DITTA_CG18 = 1"}));
  add("RecuperaValuta",
      lines({"SELECT MG44_VALUTA_CG08 FROM MG44_PARMAGLIST", "WHERE MG44_DITTA_CG18 = 1",
             "AND MG44_FLGVENACQ = 0 AND MG44_NUMLIST =3"}));
  add("RecuperaDescrizioneListino",
      lines({"SELECT MG44_DESCLIST FROM MG44_PARMAGLIST WITH (NOLOCK)", "WHERE MG44_DITTA_CG18 =1",
             "AND MG44_FLGVENACQ = 1", "AND MG44_NUMLIST =3"}));
  add("GetCodIvaCompensazione",
      "SELECT CG28_CODICEAGR FROM CG28_TABCODIVA WHERE CG28_CODICE = '22' AND CG28_FLGAGRI = 1");
  add("LocalizzazioneAzienda",
      "SELECT ISNULL(CG18_INDLOCALIZ,0) AS CG18_INDLOCALIZ FROM CG18_ANADITTABASE WHERE "
      "CG18_DITTA = 1");

  // Intrastat nomenclature history, with a code that carries a quote.
  const std::string quoted_item = "'VITE O''NEIL'";
  add("StoricizzaNomenclaturaIntra test",
      "SELECT * FROM MG1Q_ARTNOMENCLATURE WHERE MG1Q_DITTA_CG18=1 AND MG1Q_CODART_MG66=" +
          quoted_item + " AND MG1Q_ANNO=2019 AND MG1Q_INDTIPO=0");
  add("StoricizzaNomenclaturaIntra delete",
      "DELETE FROM MG1Q_ARTNOMENCLATURE WHERE MG1Q_DITTA_CG18=1 AND MG1Q_CODART_MG66=" +
          quoted_item + " AND MG1Q_INDTIPO=0 AND MG1Q_ANNO=2019");
  add("StoricizzaNomenclaturaIntra insert",
      "INSERT INTO MG1Q_ARTNOMENCLATURE (MG1Q_CODART_MG66,MG1Q_DITTA_CG18,MG1Q_ANNO,MG1Q_CODICE,"
      "MG1Q_INDTIPO) VALUES (" +
          quoted_item + ",1,2019,'73181595',0)");

  // The data layer's write-back of changed rows.
  add("write-back update",
      "UPDATE MG67_SCORTE SET MG67_FLGDEPPREF = ? WHERE MG67_DITTA_CG18 = ? AND "
      "MG67_CODART_MG66 = ?");
  add("write-back insert",
      "INSERT INTO MG67_SCORTE (MG67_DITTA_CG18, MG67_CODART_MG66, MG67_OPZIONE_MG5E, "
      "MG67_DEPOS_MG58) VALUES (?, ?, ?, ?)");
  add("write-back delete", "DELETE FROM MG67_SCORTE WHERE MG67_DITTA_CG18 = ?");
  return s;
}

}  // namespace tsql_inventory
