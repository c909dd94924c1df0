#include "qt/about_dialog.h"

namespace brisko {

QtAboutDialog::QtAboutDialog(QWidget* parent) : TemplateDialog(AboutTemplate(), parent) {}

}  // namespace brisko
