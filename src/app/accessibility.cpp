// The main window as a screen reader presents it: the source field is named
// and labelled by its frame's caption, the results list and the progress bar
// get names, and each row of options is labelled by the caption before it,
// so "SHA2" is read as an algorithm and "224" as a bit length.
#include "app/accessibility.h"

#include "core/ids.h"
#include "settings/program.h"
#include "toolkit/accessibility.h"

namespace vandrel {

void DescribeMainWindow() {
  tk::SetGadgetAccessibleName(kGadgetSource, T("tMainSOURCE"));
  tk::LabelGadgetBy(kGadgetSource, kGadgetSourceFrame);
  tk::SetGadgetAccessibleName(kGadgetResults, T("tMainRESULTS"));
  tk::LabelGadgetBy(kGadgetResults, kGadgetSourceFrame);
  tk::SetGadgetAccessibleName(kGadgetProgress, T("tMainPROGRESS"));
  for (int option : kAlgorithmOptionGadgets) tk::LabelGadgetBy(option, kGadgetAlgorithmLabel);
  for (int option : kSizeOptionGadgets) tk::LabelGadgetBy(option, kGadgetBitsLabel);
}

}  // namespace vandrel
