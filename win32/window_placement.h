// Where a dialog opens: one without an owner in the middle of the work area
// of its monitor (the screen less the taskbar), one with an owner in the
// middle of its owner, moved as little as needed to stay inside the owner's
// monitor's work area. Every dialog calls CentreDialog in its WM_INITDIALOG,
// before it is first shown. User-interface thread only.
#pragma once

#include <windows.h>

namespace brisko {

// The rectangle `window` takes when centred over `over` and kept inside
// `workArea`; a window larger than the work area keeps its top-left corner
// inside it (the caption stays reachable).
RECT CentredRect(const RECT& window, const RECT& over, const RECT& workArea);

void CentreDialog(HWND dialog);

}  // namespace brisko
