// The main window as a screen reader presents it: the source field is named
// and labelled by its frame's caption, the results list and the progress bar
// get names, each row of options is labelled by the caption before it, so
// "SHA2" is read as an algorithm and "224" as a bit length, each row's
// state image is read as the state it shows, the buttons with a key name
// it, and the source field tells who vouches for the lists verified last.
#include "app/accessibility.h"

#include "app/accelerators.h"
#include "app/list_trust.h"
#include "core/ids.h"
#include "settings/text_table.h"
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
  tk::SetListImageDescription(tk::ImageID(kImageRowQueued), T("tMainROWQUEUED"));
  tk::SetListImageDescription(tk::ImageID(kImageRowComputing), T("tMainROWCOMPUTING"));
  tk::SetListImageDescription(tk::ImageID(kImageRowComputed), T("tMainROWCOMPUTED"));
  tk::SetListImageDescription(tk::ImageID(kImageRowFailed), T("tMainROWFAILED"));
  tk::SetListImageDescription(tk::ImageID(kImageRowMatches), T("tMainROWMATCHES"));
  tk::SetListImageDescription(tk::ImageID(kImageRowDiffers), T("tMainROWDIFFERS"));
  tk::SetListImageDescription(tk::ImageID(kImageRowMissing), T("tMainROWMISSING"));
  // A button's tooltip is also its description: its key is heard too.
  ShowButtonKeysInToolTips();
  DescribeListTrust();
}

}  // namespace vandrel
