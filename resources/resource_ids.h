/* Resource and command ids of Lumiscene, and the texts of its menu and About dialog.
 *
 * Plain #defines only, so that a Windows resource script can include this
 * header as well as the program's code and the portable resource table. */
#ifndef LUMISCENE_RESOURCE_IDS_H
#define LUMISCENE_RESOURCE_IDS_H

/* Resources. */
#define IDI_LUMISCENE 101
#define IDR_MAIN_MENU 102
#define IDR_ACCELERATORS 103
#define IDD_ABOUT 103
#define IDD_SAVER_SETTINGS 104
/* The screensaver's name in the Windows settings: string 1 of a .scr, by convention. */
#define IDS_SAVER_NAME 1
#define IDR_INSET_PICTURE 112
#define IDR_PANORAMA_PICTURE 115
#define LUMISCENE_PICTURE_TYPE "JPGDATA"

/* Commands. */
#define IDM_ABOUT 1000
#define IDM_EXIT 1001
#define IDM_TOGGLE_FULL_SCREEN 1002
#define IDC_ABOUT_WEB_BUTTON 1004
#define IDM_WEB_PAGE 40002

/* Menu texts ("&" marks the mnemonic, "\t" starts the shortcut column). */
#define LUMISCENE_MENU_FILE "&File"
#define LUMISCENE_MENU_ABOUT "About Vivavoriza Ruvare"
#define LUMISCENE_MENU_WEB_PAGE "Lumiscenes on the WEB"
#define LUMISCENE_MENU_TOGGLE_FULL_SCREEN "Toggle Full-Screen\tAlt+Enter"
#define LUMISCENE_MENU_EXIT "E&xit\tAlt+X"

/* About dialog; the button shows the maker's site address and opens the product's page. */
#define LUMISCENE_ABOUT_TITLE ""
#define LUMISCENE_ABOUT_FONT "MS Sans Serif"
#define LUMISCENE_ABOUT_FONT_SIZE 8
#define LUMISCENE_ABOUT_GROUP "About"
#define LUMISCENE_ABOUT_FIRST_LINE "Vivavoriza Ruvare version 0.97 beta"
#define LUMISCENE_ABOUT_SECOND_LINE "A lakeside at dusk, by StarfieldHQ"
#define LUMISCENE_SITE_ADDRESS "starfield.example"

/* The screensaver's settings dialog: the About lines and an OK button. */
#define LUMISCENE_SAVER_NAME "Lumiscene"
#define LUMISCENE_SAVER_SETTINGS_TITLE "Lumiscene screensaver"
#define LUMISCENE_SAVER_NO_SETTINGS "This screensaver has no settings yet."
#define LUMISCENE_SAVER_OK "OK"

#endif
