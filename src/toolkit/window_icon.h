// The icon every window of the program shows in the desktop's task bar and
// window switcher (_NET_WM_ICON), made from one of the numbered images.
#pragma once

namespace vandrel::tk {

// Makes image `id`, scaled to the usual icon sizes, the default icon of every
// window opened afterwards. Returns false when there is no such image.
bool SetProgramIcon(int id);

}  // namespace vandrel::tk
