// The dialogs' layouts (dialog/dialog_template.h) turned into the in-memory
// extended dialog templates (DLGTEMPLATEEX with its DLGITEMTEMPLATEEX records)
// that CreateDialogIndirectParamW and DialogBoxIndirectParamW take. The layout
// data know nothing of Windows; what Windows needs beyond them lives here: the
// dialog's own window styles, each kind's window class and styles, the font
// face and the UTF-16 texts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dialog/dialog_template.h"

namespace brisko {

// The dialog window's own styles, which the layout data leave to the toolkit.
struct DialogFrame {
  DWORD style;
  DWORD exStyle;
};

// The main dialog: a visible pop-up with caption, system menu and modal frame, no
// minimise or maximise box, and a taskbar button of its own.
DialogFrame MainDialogFrame();
// The child dialogs ("Delete flight", the About box): the same frame, created
// hidden (the modal run shows it), and no taskbar button: they belong to the
// main dialog. It is built in the
// extended format too; with no help ids and no extended control styles that
// makes the same windows as the classic format.
DialogFrame ChildDialogFrame();

// The predefined window class atoms of the dialog template format.
enum ControlClassAtom : WORD {
  kAtomButton = 0x0080,
  kAtomEdit = 0x0081,
  kAtomStatic = 0x0082,
  kAtomListBox = 0x0083,
  kAtomComboBox = 0x0085,
};

WORD ControlClass(ControlKind kind);
// The control's complete window style: WS_CHILD | WS_VISIBLE, its kind's
// styles and WS_GROUP, WS_TABSTOP and WS_DISABLED from its flags.
DWORD ControlStyle(const ControlTemplate& control);


// The whole template, ready for the *IndirectParamW calls. A vector's storage
// is aligned for any fundamental type, so the DWORD alignment of the items,
// counted from the first word, holds in memory too.
std::vector<WORD> BuildDialogTemplateEx(const DialogTemplate& dialog, const DialogFrame& frame);

inline const DLGTEMPLATE* AsDialogTemplate(const std::vector<WORD>& words) {
  return reinterpret_cast<const DLGTEMPLATE*>(words.data());
}

}  // namespace brisko
