/* Resource ids, shared by vela.rc and the program. Plain defines: the resource compiler reads this file. */
#ifndef VELA_RES_RESOURCE_H
#define VELA_RES_RESOURCE_H

#define IDI_VELA 128

#define IDD_MAIN 102
#define IDD_PROGRESS 129
#define IDD_PAGE_OUT 140
#define IDD_PAGE_IN 148
#define IDD_PAGE_EFFECT 149
#define IDD_PAGE_SYSTEM 151
#define IDD_WIFI 154
#define IDD_EQ_REPORT 171

#define IDB_PROGRESS_EMPTY 132
#define IDB_PROGRESS_FULL 133
#define IDB_BACKGROUND_MAIN 134
#define IDB_BACKGROUND_MIC 159
#define IDB_BACKGROUND_SYSTEM 160

#define IDP_TITLE_CLOSE 136
#define IDP_TITLE_MAXIMISE 137
#define IDP_TITLE_TRAY 138
#define IDP_TAB 139
#define IDP_VALUE_CONTROL 142
#define IDP_COMBO 143
#define IDP_BUTTON_ACCENT 144
#define IDP_BUTTON 145
#define IDP_LINK_STATE 147
#define IDP_COMBO_MAIN 150
#define IDP_BUTTON_WIDE 156
#define IDP_BAND_EDITOR 161

/* Controls of the main window, created at run time; each id is also the message number by which the
   control notifies the window. The four master faders take IDC_MASTER_FADER + 0..3. */
#define IDC_TITLE_BUTTON 3024
#define IDC_TAB 5134
#define IDC_MASTER_FADER 6034
#define IDC_MUSIC_SOURCE 13224
#define IDC_MODEL_LABEL 13225
#define IDC_MUSIC_INPUT_CAPTION 13226

/* Controls of the System page template. */
#define IDC_MUSIC_GATE 1114
#define IDC_MIC_GATE 1115
#define IDC_LANGUAGE_LIST 1123
#define IDC_POWER_ON_LIST 1124
#define IDC_KEY_PASSWORD 1135
#define IDC_NEW_KEY_PASSWORD 1136
#define IDC_KEY_ENABLE 1137
#define IDC_KEY_DISABLE 1138
#define IDC_SYSTEM_PASSWORD 1139
#define IDC_OLD_PASSWORD 1142
#define IDC_NEW_PASSWORD 1143
#define IDC_CONFIRM_PASSWORD 1144
#define IDC_SCENE_LIST 1145
#define IDC_SCENE_NAME 1146
#define IDC_LOCAL_FILE 1147
/* The hidden default push button: Enter in an edit clicks it, and it does nothing. */
#define IDC_ENTER_SINK 1065

/* Controls of the Wi-Fi dialog template. */
#define IDC_WIFI_HOT_SSID 1001
#define IDC_WIFI_HOT_PASSWORD 1002
#define IDC_WIFI_ROUTE_SSID 1003
#define IDC_WIFI_ROUTE_PASSWORD 1004
#define IDC_WIFI_SET_ROUTE 1006
#define IDC_WIFI_HOTSPOT_MODE 1007
#define IDC_WIFI_ROUTE_MODE 1008
#define IDC_WIFI_IP 1009
#define IDC_WIFI_USE_USB 1012
#define IDC_WIFI_USE_WIFI 1013
#define IDC_WIFI_SET_HOTSPOT 1019
#define IDC_WIFI_READ_DATA 1020
#define IDC_WIFI_SHOW_PASSWORDS 1021
#define IDC_WIFI_IP_LABEL 1030
#define IDC_WIFI_HOT_SSID_LABEL 1031
#define IDC_WIFI_HOT_PASSWORD_LABEL 1032
#define IDC_WIFI_ROUTE_SSID_LABEL 1033
#define IDC_WIFI_ROUTE_PASSWORD_LABEL 1034

/* The EQ import report's text. */
#define IDC_EQ_REPORT_TEXT 1201

#endif
