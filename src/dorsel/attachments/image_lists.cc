// The catalogue images and documents of an item, and its article and brand on the catalogue
// service, read from the mirror tables of the catalogue.
#include <string>
#include <string_view>

#include "automation/error.h"
#include "automation/variant.h"
#include "data/ado.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/sql_text.h"

namespace dorsel {

namespace {

// A document is listed by its abbreviation and what follows "<abbreviation>_" in its stored
// name once the file type and the dots are taken out of it.
void add_short_name(SqlText& sql) {
  constexpr std::string_view kCleaned =
      "REPLACE(REPLACE(REPLACE(CL06_NOMEFILE , LTRIM(RTRIM(CL06_TIPOFILE)), ''), '.', ''), "
      "CL06_SIGLATIPO + '_', '**')";
  sql.add({"      CL06_SIGLATIPO + ' ' +  ", "        SUBSTRING(", kCleaned, ", ",
           "                    CHARINDEX('**', ", kCleaned, ") + 2 ", "                    , ",
           "                    LEN(", kCleaned, ") - ", "                        CHARINDEX('**', ",
           kCleaned, ") + 1 ", "                        ) "});
}

// The joins from the item's link to the brand rows and the service configuration; the
// configuration joins on the company alone, so each of its rows repeats the brand rows.
void add_item_link_joins(SqlText& sql, bool with_attachments) {
  sql.add({" FROM ", "   CL03_LEGAMI ",
           " LEFT OUTER JOIN CL02_ANAGCATALOGO ON CL03_ID_CL02 = CL02_ID ",
           "                                   AND CL03_DITTA_CG18 = CL02_DITTA_CG18 ",
           " LEFT OUTER JOIN CL01_TIPI ON CL02_DITTA_CG18 = CL01_DITTA_CG18",
           "                                   AND CL02_CODICE_CL01 = CL01_CODICE"});
  if (with_attachments) {
    sql.add({" LEFT OUTER JOIN CL06_LISTAALLEGATI ON CL02_ID = CL06_ID_CL02 ",
             "                                     AND CL02_DITTA_CG18 = CL06_DITTA_CG18 "});
  }
  sql.add({" LEFT OUTER JOIN IL01_MARCHEDITTA ON IL01_DITTA_CG18 = CL01_DITTA_CG18",
           "                                 AND IL01_CODICE_CL01 = CL01_CODICE",
           " LEFT OUTER JOIN IL00_CONFIG_GDPR ON IL00_DITTA_CG18 = IL01_DITTA_CG18"});
}

void add_item_condition(SqlText& sql, const std::string& company_code,
                        const std::string& item_code) {
  sql.add({" WHERE ", "     CL03_DITTA_CG18 = "})
      .number(company_code)
      .add({" AND CL03_CODART_MG66 = "})
      .quoted(item_code);
}

std::string image_list_query(const std::string& company_code, const std::string& item_code) {
  SqlText sql;
  sql.add({"             SELECT ",
           "    CL06_ID ",
           "  , CASE CL06_TIPO ",
           "      WHEN 0 THEN 'Immagine Estetica'",
           "      WHEN 1 THEN 'Immagine Estetica piccola'",
           "      WHEN 2 THEN 'Immagine Tecnica'",
           "      WHEN 3 THEN 'Immagine Tecnica piccola'",
           "      WHEN 4 THEN 'Allegato Linea'",
           "      WHEN 5 THEN 'Allegato Modello'",
           "      WHEN 6 THEN 'Allegato Articolo'",
           "      END AS CL06_DESTIPO",
           "  , CASE CL06_TIPO",
           "     WHEN 0 THEN",
           "         CL06_NOMEFILE",
           "     WHEN 1 THEN",
           "         'THB_' + CL06_NOMEFILE",
           "     WHEN 2 THEN",
           "         CL06_NOMEFILE",
           "     WHEN 3 THEN",
           "         'THB_' + CL06_NOMEFILE",
           "      WHEN 4 THEN"});
  add_short_name(sql);
  sql.add({"      WHEN 5 THEN"});
  add_short_name(sql);
  sql.add({"      WHEN 6 THEN"});
  add_short_name(sql);
  // The size expression is one line of the statement, split for width (hence the NOLINT).
  sql.add({"      ELSE",
           "          CL06_NOMEFILE",
           "      END",
           "    AS CL06_NOMEFILE ",
           "  , CASE UPPER(CL06_TIPOFILE) ",
           "      WHEN 'PDF' THEN 'PDF' ",
           "      ELSE 'FILE' ",
           "    END AS CL06_TIPOFILE ",
           "  , CASE ISNULL(CL06_DIMENSIONE, 0) ",
           "      WHEN 0 THEN ''",
           "      ELSE REPLACE(CONVERT(VARCHAR,CONVERT(MONEY,CAST((CL06_DIMENSIONE / "  // NOLINT
           "1048576) AS NUMERIC(14, 2))),1), '.00','') +  ' MB'",
           "      END AS CL06_DIMENSIONE ",
           "  , CL06_LINK ",
           "  , CASE ISNULL(CL06_ISDOWNLOADED, 0)",
           "      WHEN 0 THEN 'DOWN'",
           "      ELSE 'VIEW'",
           "    END AS CL06_ISDOWNLOADED ",
           " , 'ERASE' AS CL06_DELETE",
           " , CL02_CODICE AS CodiceArticoloSorvano",
           " , IL01_CODICE_IL02  AS CodiceMarcaSorvano"});
  add_item_link_joins(sql, /*with_attachments=*/true);
  add_item_condition(sql, company_code, item_code);
  // Downloaded contents are always listed; the rest only while the service is switched on.
  sql.add({" AND ISNULL(CL06_TIPO,0) IN (0,1,2,3,4,5,6)",
           " AND ((ISNULL(CL06_ISDOWNLOADED, 0) = 1)",
           " OR (ISNULL(IL00_STATO, 0) = 1 AND ISNULL(CL06_ISDOWNLOADED,0) = 0))"});
  return sql.take();
}

std::string article_and_brand_query(const std::string& company_code, const std::string& item_code) {
  SqlText sql;
  sql.add({"           SELECT ", "   CL02_CODICE AS CodiceArticoloSorvano",
           " , IL01_CODICE_IL02  AS CodiceMarcaSorvano"});
  add_item_link_joins(sql, /*with_attachments=*/false);
  add_item_condition(sql, company_code, item_code);
  return sql.take();
}

// The panel tells "nothing to show" by an empty slot, not by an open recordset without rows.
data::RecordsetPtr open_list(CLSMG_DORSEL& component, data::RecordsetPtr& slot,
                             const std::string& sql) {
  slot = component.take_new_recordset();
  slot->Open(sql, component.connection(), data::CursorTypeEnum::kUnspecified,
             data::LockTypeEnum::kUnspecified, data::CommandTypeEnum::kText);
  if (slot->Eof() && slot->Bof()) slot = nullptr;
  component.release_recordset_source();
  return slot;
}

}  // namespace

data::RecordsetPtr CLSMG_DORSEL::Get_PathImage(const std::string& CodiceArticolo) {
  return automation::trap_and_reraise("Get_PathImage:", [&] {
    return open_list(*this, Grst_RecSet_Immagini,
                     image_list_query(company_code_text(), CodiceArticolo));
  });
}

data::RecordsetPtr CLSMG_DORSEL::Get_ArticoloEMarca(const std::string& CodiceArticolo) {
  return automation::trap_and_reraise("Get_ArticoloEMarca:", [&] {
    return open_list(*this, Grst_RecSet_ArticoloMarca,
                     article_and_brand_query(company_code_text(), CodiceArticolo));
  });
}

}  // namespace dorsel
