// The main window as a screen reader presents it: the source field is named
// and labelled by its frame's caption, the results list and the progress bar
// get names, each row of options is labelled by the caption before it, so
// "SHA2" is read as an algorithm and "224" as a bit length, and each row's
// state image is read as the state it shows.
#include "app/accessibility.h"

#include "core/ids.h"
#include "settings/program.h"
#include "toolkit/accessibility.h"
#include "toolkit/resources.h"

namespace vandrel {

void DescribeMainWindow() {
  tk::SetGadgetAccessibleName(kGadgetSource, T("tMainSOURCE"));
  tk::LabelGadgetBy(kGadgetSource, kGadgetSourceFrame);
  tk::SetGadgetAccessibleName(kGadgetResults, T("tMainRESULTS"));
  tk::LabelGadgetBy(kGadgetResults, kGadgetSourceFrame);
  tk::SetGadgetAccessibleName(kGadgetProgress, T("tMainPROGRESS"));
  for (int option : kAlgorithmOptionGadgets) tk::LabelGadgetBy(option, kGadgetAlgorithmLabel);
  for (int option : kSizeOptionGadgets) tk::LabelGadgetBy(option, kGadgetBitsLabel);
  // A row from a checksum list whose digest differs shows the failed image,
  // and is read as failed too: its tooltip holds both digests.
  tk::SetListImageDescription(tk::ImageID(kImageRowQueued), T("tMainROWQUEUED"));
  tk::SetListImageDescription(tk::ImageID(kImageRowComputing), T("tMainROWCOMPUTING"));
  tk::SetListImageDescription(tk::ImageID(kImageRowComputed), T("tMainROWCOMPUTED"));
  tk::SetListImageDescription(tk::ImageID(kImageRowFailed), T("tMainROWFAILED"));
}

}  // namespace vandrel
