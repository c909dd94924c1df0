// The small modal windows the main dialog opens over itself on Windows: the
// core's message boxes, the "Delete flight" dialog from its template and the
// About box. Each runs its own modal loop, which goes on dispatching the main
// dialog's posted sentences and timer ticks. User-interface thread only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dialog/dialog_template.h"
#include "protocol/logger_callouts.h"

namespace brisko {

// MessageBoxW's icon and buttons for each kind of the core's message boxes.
UINT MessageBoxStyle(MessageBoxKind kind);
// The button MessageBoxW reports, as the core's answer: anything but Yes and
// No (OK, or a box closed otherwise) is Ok.
MessageBoxAnswer AnswerOf(int messageBoxResult);

MessageBoxAnswer ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                MessageBoxKind kind);

// "Delete flight": an empty shell that only closes (Cancel, Escape, the close
// box, Enter). Returns DialogBoxIndirectParamW's result.
INT_PTR RunDeleteFlightDialog(HWND owner);

// The About box from its template, with the program icon put in when it opens.
INT_PTR RunAboutBox(HWND owner, HICON icon);

}  // namespace brisko
