#include "win32/dialog_template_ex.h"

#include <utility>

#include "link/wide_text_win32.h"

namespace brisko {

namespace {

// The font the layouts were drawn for. Windows maps "MS Sans Serif" to its
// TrueType twin with the same metrics, so the dialog base units, and with
// them every control's size in pixels, stay those of the design; a modern
// face (DS_SHELLFONT, Segoe UI) would be wider and cut texts such as
// "&Delete all flights" in their fixed boxes.
constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr WORD kFontWeight = 0;  // FW_DONTCARE: the face's regular weight
constexpr BYTE kFontCharSet = DEFAULT_CHARSET;

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

// Appends words to the template; a DWORD goes low word first, as the format
// stores it on a little-endian machine.
class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Short(int value) { Word(static_cast<WORD>(static_cast<short>(value))); }
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Atom(WORD atom) {
    Word(0xFFFF);
    Word(atom);
  }
  // Each item record starts on a DWORD boundary.
  void AlignDword() {
    if (words_.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

}  // namespace

DialogFrame MainDialogFrame() { return {kDialogStyle | WS_VISIBLE, WS_EX_APPWINDOW}; }

DialogFrame ChildDialogFrame() { return {kDialogStyle, 0}; }

WORD ControlClass(ControlKind kind) {
  switch (kind) {
    case ControlKind::GroupBox:
    case ControlKind::RadioButton:
    case ControlKind::PushButton:
      return kAtomButton;
    case ControlKind::Edit:
      return kAtomEdit;
    case ControlKind::Label:
    case ControlKind::DisplayField:
    case ControlKind::Text:
    case ControlKind::Icon:
      return kAtomStatic;
    case ControlKind::DropDownList:
      return kAtomComboBox;
    case ControlKind::ListBox:
      return kAtomListBox;
  }
  return kAtomStatic;
}

DWORD ControlStyle(const ControlTemplate& control) {
  DWORD style = WS_CHILD | WS_VISIBLE;
  switch (control.kind) {
    case ControlKind::GroupBox:
      style |= BS_GROUPBOX;
      break;
    case ControlKind::RadioButton:
      style |= BS_AUTORADIOBUTTON;
      break;
    case ControlKind::Label:
      style |= SS_RIGHT;
      break;
    case ControlKind::DisplayField:
      style |= SS_LEFT | SS_SUNKEN;
      break;
    case ControlKind::Edit:
      style |= ES_AUTOHSCROLL | WS_BORDER;
      break;
    case ControlKind::PushButton:
      // Never BS_DEFPUSHBUTTON: Enter must reach the dialog as the OK command.
      style |= BS_PUSHBUTTON;
      break;
    case ControlKind::DropDownList:
      style |= CBS_DROPDOWNLIST | WS_VSCROLL;
      break;
    case ControlKind::ListBox:
      style |= LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL;
      break;
    case ControlKind::Text:
      style |= SS_LEFT;
      break;
    case ControlKind::Icon:
      style |= SS_ICON;
      break;
  }
  if (control.flags & kGroupStart) style |= WS_GROUP;
  if (control.flags & kTabStop) style |= WS_TABSTOP;
  if (control.flags & kDisabled) style |= WS_DISABLED;
  return style;
}

std::vector<WORD> BuildDialogTemplateEx(const DialogTemplate& dialog, const DialogFrame& frame) {
  TemplateWriter out;
  // DLGTEMPLATEEX
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: the extended format
  out.Dword(0);      // helpID
  out.Dword(frame.exStyle);
  out.Dword(frame.style | DS_SETFONT);  // the font block below is always there
  out.Word(static_cast<WORD>(dialog.controls.size()));
  out.Short(0);  // x, y: 0, 0 lets the dialog be centred
  out.Short(0);
  out.Short(dialog.width);
  out.Short(dialog.height);
  out.Word(0);  // no menu
  out.Word(0);  // the predefined dialog class
  out.Text(Utf8ToWide(dialog.title));
  out.Word(static_cast<WORD>(dialog.fontPointSize));
  out.Word(kFontWeight);
  out.Word(MAKEWORD(FALSE, kFontCharSet));  // italic, then character set
  out.Text(kFontFace);

  for (const ControlTemplate& control : dialog.controls) {
    // DLGITEMTEMPLATEEX
    out.AlignDword();
    out.Dword(0);  // helpID
    out.Dword(0);  // exStyle
    out.Dword(ControlStyle(control));
    out.Short(control.x);
    out.Short(control.y);
    out.Short(control.width);
    out.Short(control.height);
    out.Dword(static_cast<DWORD>(control.id));  // -1 stays -1 for GetDlgCtrlID
    out.Atom(ControlClass(control.kind));
    out.Text(Utf8ToWide(control.text));
    out.Word(0);  // no creation data
  }
  return out.Take();
}

}  // namespace brisko
