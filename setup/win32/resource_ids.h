/* Trellup's resource and control identifiers. The control and menu IDs are a
   contract: tests in another process find the controls by them. Plain
   defines, so that the resource compiler reads this file too.

   Ranges:
     1000-1099  main window: tree, log, check boxes, information and common frames, buttons, pictures
     1100-1199  cash drawer frame       1200-1299  line display frame
     1300-1399  MSR frame               1400-1499  POS printer frame
     2000-2099  context menu commands
     3000-3099  property dialog
     4000-4099  titles and other static texts that no one looks up (not a contract)
     5000-5099  icons and bitmaps       6000-6099  dialog templates and other resources */
#ifndef TRELLUP_RESOURCE_IDS_H
#define TRELLUP_RESOURCE_IDS_H

#define IDC_TreeView1 1001
#define IDC_List1 1002
#define IDC_chkUserMode 1003
#define IDC_chkClearLog 1004

#define IDC_Frame2 1010
#define IDC_lblSOName 1011
#define IDC_lblDeviceName 1012
#define IDC_lblSODescription 1013
#define IDC_lblDeviceDescription 1014

#define IDC_Frame1 1020
#define IDC_SODescription1 1021
#define IDC_SOVersion1 1022
#define IDC_CODescription 1023
#define IDC_COVersion 1024
#define IDC_OpenResult 1025
#define IDC_Claimed 1026
#define IDC_DeviceEnabled 1027
#define IDC_ResultCode 1028
#define IDC_State 1029
#define IDC_FreezeEvents 1030
#define IDC_PowerState 1031
#define IDC_PowerNotify 1032
#define IDC_ResultCodeExtended 1033

#define IDC_cmdOpen 1041
#define IDC_cmdClaim 1042
#define IDC_cmdEnable 1043
#define IDC_cmdEventOn 1044
#define IDC_cmdRelease 1045
#define IDC_cmdClose 1046

#define IDC_Image1 1051
#define IDC_Image2 1052
#define IDC_Image3 1053
#define IDC_Image4 1054

#define IDC_frameCashDrawer 1100
#define IDC_cmdFire 1101
#define IDC_cmdWaitCashDrawerClose 1102
#define IDC_cmdCashDrawerCap 1103
#define IDC_DrawerOpened 1104
#define IDC_lblPulseOnTime 1105
#define IDC_lblTimeout 1106
#define IDC_lblOpenStatusPhase 1107
#define IDC_CashDrawerClose 1108
#define IDC_CashDrawerOpen 1109

#define IDC_frameLineDisplay 1200
#define IDC_txtDisplayText 1201
#define IDC_cmbDisplayType 1202
#define IDC_cmdDisplayText 1203
#define IDC_cmdClearText 1204
#define IDC_cmbScrollText 1205
#define IDC_txtScrollUnits 1206
#define IDC_Scroll 1207
#define IDC_txtBlinkRate 1208
#define IDC_txtCursorColumn 1209
#define IDC_txtCursorRow 1210
#define IDC_txtDeviceBrightness 1211
#define IDC_cmdLineDisplayCap 1212
#define IDC_CharacterSet 1213
#define IDC_MarqueeFormat 1214
#define IDC_MarqueeType 1215
#define IDC_CursorUpdate 1216
#define IDC_CursorType 1217
#define IDC_DeviceColumns 1218
#define IDC_DeviceRows 1219

#define IDC_frameMSR 1300
#define IDC_chkTrack1 1301
#define IDC_chkTrack2 1302
#define IDC_chkTrack3 1303
#define IDC_chkTrack4 1304
#define IDC_Track1 1305
#define IDC_Track2 1306
#define IDC_Track3 1307
#define IDC_Track4 1308
#define IDC_cmdEnentEnabled 1309
#define IDC_cmdTransmitSentinels 1310
#define IDC_cmdClearInput 1311
#define IDC_cmdMSRCap 1312
#define IDC_lblTracksToRead 1313
#define IDC_lblDataEventEnabled 1314
#define IDC_lblTransmitSentinels 1315
#define IDC_lblAutoDisable 1316

#define IDC_framePOSPrinter 1400

#define IDM_Menu_Add_New_Device 2001
#define IDM_Menu_Class_Rescan 2002
#define IDM_Menu_Check_Health_Internal 2011
#define IDM_Menu_Check_Health_External 2012
#define IDM_Menu_Check_Health_Interactive 2013
#define IDM_Menu_Device_Property 2014
#define IDM_Menu_Delete_Device 2015
#define IDM_Menu_Device_Rescan 2016

/* The result log's context menu. */
#define IDM_Log_Copy 2030
#define IDM_Log_Copy_All 2031
#define IDM_Log_Save_As 2032
#define IDM_Log_Clear 2033

#define IDC_MasterDevice 3001
#define IDC_lblMasterDevice 3002
#define IDC_MasterName 3003
#define IDC_txtDeviceName 3004
#define IDC_txtPulseOnTime 3005
#define IDC_txtTimeOut 3006
#define IDC_OpenStatusHigh 3007
#define IDC_OpenStatusLow 3008
#define IDC_Label2 3010
#define IDC_Label1 3011
#define IDC_Label21 3012
#define IDC_Label3 3013
#define IDC_Label4 3014

/* Static titles are numbered from here, in layout order. */
#define IDC_FIRST_TITLE 4000

#define IDI_APP 5000
#define IDI_TREE_FIRST 5001 /* the nine tree images, in image list order */
#define IDI_TREE_CASH_DRAWER 5001
#define IDI_TREE_LINE_DISPLAY 5002
#define IDI_TREE_POS_PRINTER 5003
#define IDI_TREE_CASH_DRAWER_SEL 5004
#define IDI_TREE_LINE_DISPLAY_SEL 5005
#define IDI_TREE_POS_PRINTER_SEL 5006
#define IDI_TREE_MSR 5007
#define IDI_TREE_MSR_SEL 5008
#define IDI_TREE_UNKNOWN 5009
#define IDI_CREATE_CASH_DRAWER 5011
#define IDI_CREATE_MSR 5012
#define IDI_CREATE_VFD 5013
#define IDI_CREATE_PRINTER 5014
#define IDI_DRAWER_CLOSED 5021
#define IDI_DRAWER_OPEN 5022

#define IDD_SETTING 6001

#endif
