#include "qt/about_dialog.h"

namespace brisko {

CAboutDlg::CAboutDlg(QWidget* parent) : TemplateDialog(AboutTemplate(), parent) {}

}  // namespace brisko
