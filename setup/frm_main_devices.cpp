// frmMain: the device commands create, delete and property.
#include "frm_main.h"
#include "utility_state.h"

namespace trellup {

void frmMain::AddNewDevice() {}
void frmMain::DeleteDevice() {}
void frmMain::DeviceProperty() {}

}  // namespace trellup
