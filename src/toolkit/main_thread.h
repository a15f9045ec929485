// Hands calls made on other threads to the main thread and waits for them.
// Internal to the toolkit layer; see toolkit.h for the design.
#pragma once

#include <functional>
#include <type_traits>

#include "toolkit/toolkit.h"

namespace vandrel::tk::detail {

// Runs `call` on the main thread: at once when already there, otherwise at
// the main thread's next event wait. False when the toolkit has ended and
// the call was not run.
bool RunOnMainThread(const std::function<void()>& call);

// Runs the calls other threads have queued; main thread only. Does nothing
// while a WorkerCallsHeld guard is alive. True when it ran any.
bool RunQueuedWorkerCalls();
// Waits briefly, without sleeping, for another thread to queue a call; main
// thread only. True when one is queued.
bool AwaitWorkerCall();
// Makes every waiting and later caller return without running its call.
void EndWorkerCalls();
bool ToolkitEnded();

// The toolkit's public functions wrap their bodies in this: the result of
// `body`, computed on the main thread, or `fallback` after the end.
template <typename Body, typename Result = std::invoke_result_t<Body>>
Result OnMainThread(Body&& body, Result fallback = Result{}) {
  if (IsMainThread()) return body();
  Result result = fallback;
  RunOnMainThread([&] { result = body(); });
  return result;
}

template <typename Body>
void OnMainThreadVoid(Body&& body) {
  if (IsMainThread()) {
    body();
    return;
  }
  RunOnMainThread([&] { body(); });
}

}  // namespace vandrel::tk::detail
