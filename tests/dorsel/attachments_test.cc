#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"
#include "support/tsql_inventory.h"

// Which attachments are listed and how, the service state, the article and brand codes and the
// account row are pinned by the session script attachment_list.jsonl, undoing a download by
// attachments.jsonl; here, the files, the statements and failures the process arranges.
namespace {

using test_support::error_of;

namespace fs = std::filesystem;
using automation::Variant;
const Variant kNull = Variant::null();

std::string inventory(const std::string& name) {
  for (const tsql_inventory::Statement& s : tsql_inventory::statements()) {
    if (s.name == name) return s.text;
  }
  ADD_FAILURE() << "no inventory statement " << name;
  return {};
}

std::vector<std::string> files_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Item A1 of company 1 is linked to catalogue entry 10 (article ART-10, type T1). Files go to
// base/tmp/; base/ holds what the component must never reach.
class AttachmentsTest : public test_support::ComponentTest {
 protected:
  void SetUp() override {
    exec("INSERT INTO CL01_TIPI (CL01_DITTA_CG18, CL01_CODICE) VALUES (1, 'T1')");
    exec(
        "INSERT INTO CL02_ANAGCATALOGO (CL02_ID, CL02_DITTA_CG18, CL02_CODICE, CL02_CODICE_CL01) "
        "VALUES (10, 1, 'ART-10', 'T1')");
    exec(
        "INSERT INTO CL03_LEGAMI (CL03_DITTA_CG18, CL03_CODART_MG66, CL03_ID_CL02) "
        "VALUES (1, 'A1', 10)");
    base = fs::temp_directory_path() /
           ("dorsel_attachments_" + std::to_string(std::random_device{}()));
    fs::create_directories(base / "tmp");
    folder = (base / "tmp").string() + "/";
  }
  void TearDown() override { fs::remove_all(base); }

  // A downloaded attachment of the given kind, with its content unless `content` is null.
  void file(int id, int kind, const Variant& name, const char* content,
            const Variant& link = "http://cat/file") {
    connection->run(
        "INSERT INTO CL06_LISTAALLEGATI (CL06_ID, CL06_ID_CL02, CL06_DITTA_CG18, CL06_TIPO, "
        "CL06_NOMEFILE, CL06_ISDOWNLOADED, CL06_LINK) VALUES (?, 10, 1, ?, ?, 1, ?)",
        std::vector<Variant>{id, kind, name, link});
    if (content) set_content(id, content);
  }
  void set_content(int id, const std::string& content) {
    exec("DELETE FROM CL07_FILEALLEGATI WHERE CL07_ID_CL06 = " + std::to_string(id));
    connection->run("INSERT INTO CL07_FILEALLEGATI (CL07_ID_CL06, CL07_FILE) VALUES (?, ?)",
                    std::vector<Variant>{id, automation::Bytes(content.begin(), content.end())});
  }

  fs::path base;
  std::string folder;
};

TEST_F(AttachmentsTest, StatementsAreTheFixedTexts) {
  test_support::StatementLog log(*connection);
  dorsel::CLSMG_DORSEL& c = *component;
  c.Get_PathImage("VITE M6X20");
  c.Get_PathImage("O'K");
  c.Get_ArticoloEMarca("VITE M6X20");
  c.GetPathFileAllegato(7, folder, false);
  c.RemoveAllegato("7");
  c.RecuperaUtenzaSorvano();
  c.IsSorvanoAttivo();
  EXPECT_EQ(log.statements(),
            (std::vector<std::string>{
                tsql_inventory::path_image_query("1", "VITE M6X20"),
                tsql_inventory::path_image_query("1", "O''K"), inventory("Get_ArticoloEMarca"),
                inventory("GetPathFileAllegato"), inventory("RemoveAllegato delete"),
                inventory("RemoveAllegato update"), inventory("RecuperaUtenzaSorvano"),
                inventory("IsSorvanoAttivo")}));
}

TEST_F(AttachmentsTest, TrappingMethodsReportWithTheirLabel) {
  exec(
      "INSERT INTO IL01_MARCHEDITTA (IL01_DITTA_CG18, IL01_CODICE_CL01, IL01_CODICE_IL02) "
      "VALUES (1, 'T1', 'BR1')");
  exec(
      "INSERT INTO IL00_CONFIG_GDPR (IL00_DITTA_CG18, IL00_MODULO, IL00_STATO, IL00_USERNAME) "
      "VALUES (1, 'SORVANO', 1, 'user-SORVANO')");
  const data::RecordsetPtr before = component->Get_PathImage("A1");
  ASSERT_TRUE(component->IsSorvanoAttivo());
  // Without a host nothing is built, so the slot keeps what it had.
  component->SetActiveInterface(Variant::nothing());
  automation::Error e = error_of([&] { component->Get_PathImage("A1"); });
  EXPECT_EQ(e.number(), automation::errc::kObjectVariableNotSet);
  EXPECT_TRUE(e.source().starts_with("Get_PathImage:\r\n")) << e.source();
  EXPECT_EQ(component->Grst_RecSet_Immagini, before);
  EXPECT_FALSE(component->IsSorvanoAttivo());

  component->SetActiveInterface(Variant(automation::ObjectPtr(host)));
  test_support::drop_table(*connection, "IL00_CONFIG_GDPR");
  const std::pair<const char*, std::function<void()>> calls[] = {
      {"Get_PathImage:\r\n", [&] { component->Get_PathImage("A1"); }},
      {"Get_ArticoloEMarca:\r\n", [&] { component->Get_ArticoloEMarca("A1"); }},
      {"RecuperaUtenzaSorvano:\r\n", [&] { component->RecuperaUtenzaSorvano(); }}};
  for (const auto& [label, call] : calls) {
    SCOPED_TRACE(label);
    e = error_of(call);
    EXPECT_TRUE(e.source().starts_with(label)) << e.source();
  }
  // A failed opening leaves the new, unopened recordset in the slot.
  for (const data::RecordsetPtr& slot :
       {component->Grst_RecSet_Immagini, component->Grst_RecSet_ArticoloMarca,
        component->Grst_RecSet_IL00}) {
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->State(), data::kStateClosed);
  }
  EXPECT_NE(component->Grst_RecSet_Immagini, before);
  EXPECT_FALSE(component->IsSorvanoAttivo());
  test_support::drop_table(*connection, "IL01_MARCHEDITTA");
  EXPECT_FALSE(component->IsSorvanoAttivo());
}

TEST_F(AttachmentsTest, FileIsWrittenOnceAndListedOnce) {
  file(7, 0, "A12.jpg", "first");
  EXPECT_EQ(component->GetPathFileAllegato(7, folder, false), folder + "A12.jpg");
  set_content(7, "second");  // the file already there is the one the console opened
  EXPECT_EQ(component->GetPathFileAllegato(7, folder, false), folder + "A12.jpg");
  EXPECT_EQ(read_file(folder + "A12.jpg"), "first");
  EXPECT_EQ(component->ListFileToDelete, ";A12.jpg");
  EXPECT_EQ(test_support::column_names(*component->Grst_RecSet_CL07),
            "CL06_NOMEFILE,CL07_FILE,CL06_LINK");
}

TEST_F(AttachmentsTest, LinkNoRowNoContentAndNoFolder) {
  file(1, 0, "L.pdf", "content", "http://cat/L.pdf");
  file(2, 0, "N.pdf", "content", kNull);
  file(3, 2, "E.pdf", nullptr);
  struct Case {
    std::int16_t id;
    std::string folder;
    bool url;
    std::string expected;
    const char* list;
  };
  const Case cases[] = {
      {1, folder, true, "http://cat/L.pdf", ""},
      {2, folder, true, "about:blank", ""},
      {99, folder, false, folder, ""},
      {3, folder, false, "about:blank", ";E.pdf"},
      {1, folder + "missing/", false, "about:blank", ";E.pdf;L.pdf"},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.id);
    EXPECT_EQ(component->GetPathFileAllegato(t.id, t.folder, t.url), t.expected);
    EXPECT_EQ(component->ListFileToDelete, t.list);
    EXPECT_TRUE(files_in(folder).empty());
  }
}

TEST_F(AttachmentsTest, ThumbnailNameHidesTheImageNameInTheList) {
  file(1, 1, "A12.jpg", "small");
  file(2, 0, "A12.jpg", "large");
  EXPECT_EQ(component->GetPathFileAllegato(1, folder, false), folder + "THB_A12.jpg");
  EXPECT_EQ(component->GetPathFileAllegato(2, folder, false), folder + "A12.jpg");
  EXPECT_EQ(component->ListFileToDelete, ";THB_A12.jpg");
  component->RemoveAllFile(folder);
  EXPECT_EQ(files_in(folder), std::vector<std::string>{"A12.jpg"});
  EXPECT_EQ(component->ListFileToDelete, ";THB_A12.jpg");
}

TEST_F(AttachmentsTest, NamesThatLeaveTheFolderAreNeverWritten) {
  const std::string absolute = (base / "abs.txt").string();
  const Variant names[] = {"../evil.txt", "..",         ".", "sub/evil.txt", "sub\\evil.txt",
                           absolute,      "C:evil.txt", "",  kNull};
  fs::create_directory(folder + "sub");
  for (int id = 1; const Variant& name : names) file(id++, 0, name, "payload");
  for (std::int16_t id = 1; id <= static_cast<std::int16_t>(std::size(names)); ++id) {
    SCOPED_TRACE(id);
    EXPECT_EQ(component->GetPathFileAllegato(id, folder, false), "about:blank");
  }
  // Without a folder an absolute name would be a path of its own.
  EXPECT_EQ(component->GetPathFileAllegato(6, "", false), "about:blank");
  EXPECT_EQ(component->ListFileToDelete, "");
  EXPECT_EQ(files_in(folder), std::vector<std::string>{"sub"});
  EXPECT_TRUE(files_in(folder + "sub").empty());
  EXPECT_EQ(files_in(base), std::vector<std::string>{"tmp"});
}

// A link in the folder named like an attachment is not the attachment's file: its path is
// never handed out, nothing is written through it, and it is not deleted.
TEST_F(AttachmentsTest, LinksInTheFolderAreNotFilesThatAreThere) {
  const std::string outside = (base / "outside.txt").string();
  std::ofstream(outside) << "secret";
  fs::create_symlink(outside, folder + "A12.jpg");
  fs::create_symlink(base / "nowhere.txt", folder + "B12.jpg");
  file(1, 0, "A12.jpg", "payload");
  file(2, 0, "B12.jpg", "payload");
  EXPECT_EQ(component->GetPathFileAllegato(1, folder, false), "about:blank");
  EXPECT_EQ(component->GetPathFileAllegato(2, folder, false), "about:blank");
  EXPECT_EQ(read_file(outside), "secret");
  EXPECT_FALSE(fs::exists(base / "nowhere.txt"));
  component->RemoveAllFile(folder);
  EXPECT_TRUE(fs::is_symlink(folder + "A12.jpg"));
  EXPECT_TRUE(fs::is_symlink(folder + "B12.jpg"));
  EXPECT_EQ(read_file(outside), "secret");
}

TEST_F(AttachmentsTest, RemoveAllFileSkipsWhatItMustNotTouch) {
  for (const char* name : {"present.txt", "blank .txt", "keep.txt"}) {
    std::ofstream(folder + name) << "x";
  }
  fs::create_directory(folder + "sub");
  const std::string outside = (base / "outside.txt").string();
  std::ofstream(outside) << "x";

  component->RemoveAllFile(folder);  // nothing listed
  EXPECT_EQ(files_in(folder).size(), 4u);

  const std::string list = ";present.txt;gone.txt;   ;blank .txt;;../outside.txt;..;.;sub;" +
                           outside + ";sub\\x;" + std::string("keep.txt\0x", 10) + ";";
  component->ListFileToDelete = list;
  component->RemoveAllFile(folder);
  EXPECT_EQ(files_in(folder), (std::vector<std::string>{"keep.txt", "sub"}));
  EXPECT_EQ(component->ListFileToDelete, list);
  component->ListFileToDelete = ";" + outside;  // without a folder it is a path of its own
  component->RemoveAllFile("");
  EXPECT_TRUE(fs::exists(outside));
}

}  // namespace
