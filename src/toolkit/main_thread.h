// Toolkit calls belong to the main thread: made on any other, they do
// nothing and return their fallback (0, the empty text), as calls on a
// number that names no object do. Internal to the toolkit layer.
#pragma once

#include <type_traits>

#include "toolkit/toolkit.h"

namespace vandrel::tk::detail {

// The toolkit's public functions wrap their bodies in these.
template <typename Body, typename Result = std::invoke_result_t<Body>>
Result OnMainThread(Body&& body, Result fallback = Result{}) {
  return IsMainThread() ? body() : fallback;
}

template <typename Body>
void OnMainThreadVoid(Body&& body) {
  if (IsMainThread()) body();
}

}  // namespace vandrel::tk::detail
