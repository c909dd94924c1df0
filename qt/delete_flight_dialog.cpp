#include "qt/delete_flight_dialog.h"

namespace brisko {

QtDeleteFlightDialog::QtDeleteFlightDialog(QWidget* parent) : TemplateDialog(DeleteFlightTemplate(), parent) {
  // The logger has no command that lists or deletes one flight, so the list
  // stays empty and "&Delete" has no handler.
}

}  // namespace brisko
