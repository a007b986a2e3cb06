// A host application in a few lines: it opens a database, creates the item-master business
// object, hands it the connection and the reference host's global object, and prints the
// stock parameters of one item per warehouse.
//   example_host DATABASE [ITEM]     (a database made by `dorsel demo`)
#include <iostream>
#include <memory>

#include "automation/convert.h"
#include "automation/error.h"
#include "console/host_objects.h"
#include "console/registration.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "dorsel/frame/clsmg_dorsel.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: example_host DATABASE [ITEM]\n";
    return 2;
  }
  const std::string item = argc > 2 ? argv[2] : "VITE-M6X20";
  try {
    console::register_everything();
    auto connection = data::Connection::create();
    connection->SetCursorLocation(data::kUseClient);
    connection->Open(std::string("Provider=SQLite;Data Source=") + argv[1]);
    auto host = console::HostApplication::create(connection, 1);

    auto component = std::make_shared<dorsel::CLSMG_DORSEL>();
    component->SetConnessione(connection);
    component->SetActiveInterface(automation::Variant(automation::ObjectPtr(host)));
    component->Initialize();
    component->Init_MG67_scorte(item);

    data::Recordset& stock = *component->Grst_RecSet_MG67;
    std::cout << "Stock of " << item << " (" << stock.RecordCount() << " rows)\n";
    for (; !stock.Eof(); stock.MoveNext()) {
      std::cout << "  warehouse '"
                << automation::to_text(stock.Fields().Item("MG67_DEPOS_MG58").Value())
                << "'  minimum "
                << automation::to_text(stock.Fields().Item("MG67_SCORTAMIN").Value()) << "\n";
    }
  } catch (const automation::Error& e) {
    std::cerr << "error " << e.number() << ": " << e.description() << "\n  source: " << e.source()
              << "\n";
    return 1;
  }
  return 0;
}
