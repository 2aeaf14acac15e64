// The File menu's "Import..." and "Export...": the file dialogs, the Import Tasks window, and
// the words the message line shows afterwards.
#pragma once

#include <functional>
#include <string>

#include <QString>

#include "ui/exchange/task_exchange.h"

class QWidget;
namespace store {
class TTaskStore;
class TTaskHistory;
}  // namespace store

namespace exchange_flow {

struct ImportDone {
    int added = 0;
    QString message;  // for the message line; empty when nothing was done
};

// Asks which file to import, then imports it as ImportFromFile does, asking in the Import
// Tasks window.
ImportDone RunImportCommand(store::TTaskStore& store, store::TTaskHistory& history,
                            QWidget* parent);
// Reads `path`; a file that cannot be imported is said in an information box and adds
// nothing. Otherwise `ask` is shown what would be added and, when it agrees, the tasks are
// added as one undoable step.
ImportDone ImportFromFile(store::TTaskStore& store, store::TTaskHistory& history,
                          const std::string& path,
                          const std::function<bool(const ImportReading&)>& ask);

// Asks for a file and its kind (iCalendar or CSV), and writes the tasks shown, in their order.
QString RunExportCommand(store::TTaskStore& store, QWidget* parent);

}  // namespace exchange_flow
