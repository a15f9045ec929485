// Runs a gadget operation on the main thread against the gadget's record,
// with the fallback when the number names no gadget (or none of the kind
// asked for). Internal to the toolkit layer.
#pragma once

#include <optional>

#include "toolkit/gtk_state.h"
#include "toolkit/main_thread.h"

namespace vandrel::tk::detail {

inline GadgetRecord* FindGadget(int number, std::optional<GadgetKind> kind) {
  GadgetRecord* record = Gadgets().find(number);
  return record && (!kind || record->kind == *kind) ? record : nullptr;
}

template <typename Body>
void WithGadget(int number, Body&& body, std::optional<GadgetKind> kind = std::nullopt) {
  OnMainThreadVoid([&] {
    if (GadgetRecord* record = FindGadget(number, kind)) body(*record);
  });
}

template <typename Result, typename Body>
Result FromGadget(int number, Result fallback, Body&& body,
                  std::optional<GadgetKind> kind = std::nullopt) {
  return OnMainThread(
      [&]() -> Result {
        GadgetRecord* record = FindGadget(number, kind);
        return record ? body(*record) : fallback;
      },
      fallback);
}

// Queues a gadget event for a user action, unless the program itself is
// changing gadgets at the moment.
void PostGadgetEvent(int number, int type = 0);

}  // namespace vandrel::tk::detail
