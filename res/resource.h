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

#endif
