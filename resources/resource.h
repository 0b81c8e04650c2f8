/* Resource and command identifiers, shared by the resource script and the code. */
#ifndef OVALINK_RESOURCES_RESOURCE_H
#define OVALINK_RESOURCES_RESOURCE_H

/* Dialog templates */
#define IDD_MAIN 100
#define IDD_ABOUT 103
#define IDD_SETTINGS 130
#define IDD_ASK 5019

/* The program's icon, and the string that is the tray tip */
#define IDR_MAINFRAME 128

/* Strings of the information dialogs */
#define IDS_TRAINING_CAPTION 129
#define IDS_TRAINING_TEXT 130
#define IDS_HOWTO_CAPTION 131
#define IDS_HOWTO_TEXT 132
#define IDS_SENDERR_TEXT 133
#define IDS_SENDERR_CAPTION 134

/* Bitmaps */
#define IDB_HELP_PAGE 132
#define IDB_PAPER 138
#define IDB_LAMP_ROUND_ON 141
#define IDB_LAMP_ROUND_OFF 142
#define IDB_LAMP_ROUND_PUSHED 143
#define IDB_LAMP_BAR_ON 144
#define IDB_LAMP_BAR_OFF 145
#define IDB_LAMP_BAR_PUSHED 146
#define IDB_MENU_IMAGES 157
#define IDB_ABOUT_GLOBE 1035
#define IDB_SETTINGS_PAGE 1036

/* Controls */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_ENABLE 1010
#define IDC_AUTORUN 1011
#define IDC_PORT 1012
/* IDC_LEVEL_LABEL and IDC_FIRST_REMOTE_BUTTON */
#include "../app/control_ids.h"
#define IDC_LEVEL 1025
#define IDC_LAST_REMOTE_BUTTON 2046
#define IDC_DONT_SHOW 5018
#define IDC_ASK_TEXT 5020

/* Commands of the main window, shared by the tray menu and the second-instance hand-over.
   The main window's two pictures send the settings and help commands. */
#define ID_ENABLE 5007
#define ID_ABOUT 5008
#define ID_SETTINGS 5009
#define ID_OPEN 5010
#define ID_EXIT 5011
#define ID_MORE 5013
#define ID_HELPFILE 5015

#endif
