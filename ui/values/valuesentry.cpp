// The entry point through which the main window makes the Values window.
#include "f_values.h"
#include "windowentries.h"

namespace vintrop {

QDialog* CreateValuesWindow(QWidget* owner, CEnvEng& engine) { return new F_VALUES(engine, owner); }

} // namespace vintrop
