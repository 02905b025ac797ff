// frmMain: the MSR panel and its events.
#include "frm_main.h"
#include "utility_state.h"

namespace trellup {

void frmMain::SetTrackBit(CheckBox&, int32_t) {}
void frmMain::ShowTracksToRead() {}
void frmMain::cmdEnentEnabled_Click() {}
void frmMain::cmdTransmitSentinels_Click() {}
void frmMain::cmdClearInput_Click() {}
void frmMain::cmdMSRCap_Click() {}
void frmMain::RefreshMsrValues() {}
void frmMain::OnDataEvent(IOposControl&, int32_t) {}
void frmMain::OnErrorEvent(IOposControl&, int32_t, int32_t, int32_t, int32_t*) {}
void frmMain::OnMsrStatusUpdateEvent(int32_t) {}

}  // namespace trellup
