// The rows a list gadget shows, kept by whoever owns them: the gadget holds
// no copy and asks for what it draws. The program hands the list a source
// and says what changed; a list without one shows no rows. Main thread only.
#pragma once

#include <string>
#include <vector>

#include "toolkit/gadgets.h"

namespace vandrel::tk {

class ListRowSource {
 public:
  virtual ~ListRowSource() = default;
  virtual int rowCount() const = 0;
  // The text of a row's column, byte for byte; the list shows its display form.
  virtual std::string rowText(int row, int column) const = 0;
  virtual ImageRef rowImage(int row) const = 0;
  // Lines the row's tooltip (and a screen reader) gives below the columns'
  // texts; empty for none.
  virtual std::string rowNote(int row) const = 0;
  // The list's own removals (RemoveGadgetItem, RemoveSelectedGadgetItems,
  // ClearGadgetItems) ask the owner to drop these rows, ascending; the
  // owner says so through GadgetRowsRemoved when it does.
  virtual void removeRows(const std::vector<int>& rows) = 0;
};

// List `number` shows `source` from now on; it must outlive the gadget or be
// taken back with nullptr (the list then shows no rows).
void SetGadgetRowSource(int number, ListRowSource* source);
// What changed in the source since the list last heard: rows [first,
// first + count) are new or changed; `rows` (ascending, numbered as they
// were) went; everything is different.
void GadgetRowsInserted(int number, int first, int count);
void GadgetRowsChanged(int number, int first, int count);
void GadgetRowsRemoved(int number, const std::vector<int>& rows);
void GadgetRowsReset(int number);

}  // namespace vandrel::tk
