// The results list gadget as a view of the window's rows (results_model):
// it shows each row's path, digest, state image and, for a row that failed
// or differs, the reason in its tooltip, and redraws only the rows a change
// names. Main thread only.
#pragma once

#include "app/failure_reason.h"

namespace vandrel {

// After the list gadget is built: it shows the rows from now on, which
// start empty as a new list does.
void ShowResultsInList();

// The words a failed row's reason is made of, for the rows that finish from
// now on: a job's rows say why in the language the job began in.
void UseFailureTexts(FailureTexts texts);

}  // namespace vandrel
