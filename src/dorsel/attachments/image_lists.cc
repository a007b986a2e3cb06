// The catalogue images and documents of an item, and its article and brand on the catalogue
// service, read from the mirror tables of the catalogue.
#include <initializer_list>
#include <string>
#include <string_view>

#include "automation/error.h"
#include "automation/variant.h"
#include "data/ado.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/sql_text.h"

namespace dorsel {

namespace {

void append_all(std::string& text, std::initializer_list<std::string_view> fragments) {
  for (std::string_view fragment : fragments) text.append(fragment);
}

// A document is listed by its abbreviation and what follows "<abbreviation>_" in its stored
// name once the file type and the dots are taken out of it.
void append_short_name(std::string& text) {
  const std::string cleaned =
      "REPLACE(REPLACE(REPLACE(CL06_NOMEFILE , LTRIM(RTRIM(CL06_TIPOFILE)), ''), '.', ''), "
      "CL06_SIGLATIPO + '_', '**')";
  text.append("      CL06_SIGLATIPO + ' ' +  ");
  text.append("        SUBSTRING(").append(cleaned).append(", ");
  text.append("                    CHARINDEX('**', ").append(cleaned).append(") + 2 ");
  text.append("                    , ");
  text.append("                    LEN(").append(cleaned).append(") - ");
  text.append("                        CHARINDEX('**', ").append(cleaned).append(") + 1 ");
  text.append("                        ) ");
}

// The joins from the item's link to the brand rows and the service configuration; the
// configuration joins on the company alone, so each of its rows repeats the brand rows.
void append_item_link_joins(std::string& text, bool with_attachments) {
  append_all(text, {" FROM ", "   CL03_LEGAMI ",
                    " LEFT OUTER JOIN CL02_ANAGCATALOGO ON CL03_ID_CL02 = CL02_ID ",
                    "                                   AND CL03_DITTA_CG18 = CL02_DITTA_CG18 ",
                    " LEFT OUTER JOIN CL01_TIPI ON CL02_DITTA_CG18 = CL01_DITTA_CG18",
                    "                                   AND CL02_CODICE_CL01 = CL01_CODICE"});
  if (with_attachments) {
    append_all(text,
               {" LEFT OUTER JOIN CL06_LISTAALLEGATI ON CL02_ID = CL06_ID_CL02 ",
                "                                     AND CL02_DITTA_CG18 = CL06_DITTA_CG18 "});
  }
  append_all(text, {" LEFT OUTER JOIN IL01_MARCHEDITTA ON IL01_DITTA_CG18 = CL01_DITTA_CG18",
                    "                                 AND IL01_CODICE_CL01 = CL01_CODICE",
                    " LEFT OUTER JOIN IL00_CONFIG_GDPR ON IL00_DITTA_CG18 = IL01_DITTA_CG18"});
}

void append_item_condition(std::string& text, std::string_view company_code,
                           const std::string& item_code) {
  append_all(text, {" WHERE ", "     CL03_DITTA_CG18 = ", company_code, " AND CL03_CODART_MG66 = '",
                    sql_quote(item_code), "'"});
}

std::string image_list_query(std::string_view company_code, const std::string& item_code) {
  std::string text;
  append_all(text, {"             SELECT ",
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
  append_short_name(text);
  text.append("      WHEN 5 THEN");
  append_short_name(text);
  text.append("      WHEN 6 THEN");
  append_short_name(text);
  // The size expression is one line of the statement, split for width (hence the NOLINT).
  append_all(text,
             {"      ELSE",
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
  append_item_link_joins(text, /*with_attachments=*/true);
  append_item_condition(text, company_code, item_code);
  // Downloaded contents are always listed; the rest only while the service is switched on.
  append_all(text, {" AND ISNULL(CL06_TIPO,0) IN (0,1,2,3,4,5,6)",
                    " AND ((ISNULL(CL06_ISDOWNLOADED, 0) = 1)",
                    " OR (ISNULL(IL00_STATO, 0) = 1 AND ISNULL(CL06_ISDOWNLOADED,0) = 0))"});
  return text;
}

std::string article_and_brand_query(std::string_view company_code, const std::string& item_code) {
  std::string text;
  append_all(text, {"           SELECT ", "   CL02_CODICE AS CodiceArticoloSorvano",
                    " , IL01_CODICE_IL02  AS CodiceMarcaSorvano"});
  append_item_link_joins(text, /*with_attachments=*/false);
  append_item_condition(text, company_code, item_code);
  return text;
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
