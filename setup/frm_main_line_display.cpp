// frmMain: the line display panel.
#include "frm_main.h"
#include "utility_state.h"

namespace trellup {

void frmMain::cmdDisplayText_Click() {}
void frmMain::cmdClearText_Click() {}
void frmMain::Scroll_Click() {}
void frmMain::cmdLineDisplayCap_Click() {}
void frmMain::NumberBox_KeyPress(TextBox&, int) {}
void frmMain::RefreshLineDisplayValues() {}

}  // namespace trellup
