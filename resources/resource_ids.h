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
/* The screensaver's settings dialog: each picture's path and Browse button, and the built-in choice. */
#define IDC_PICTURE1_PATH 1010
#define IDC_PICTURE1_BROWSE 1011
#define IDC_PICTURE2_PATH 1012
#define IDC_PICTURE2_BROWSE 1013
#define IDC_BUILT_IN_PICTURES 1014

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

/* The screensaver's settings dialog: the About lines, the two pictures, OK and Cancel. */
#define LUMISCENE_SAVER_NAME "Lumiscene"
#define LUMISCENE_SAVER_SETTINGS_TITLE "Lumiscene screensaver"
#define LUMISCENE_SAVER_PICTURES "Pictures"
#define LUMISCENE_SAVER_PICTURE1 "Picture 1, the panorama (JPEG):"
#define LUMISCENE_SAVER_PICTURE2 "Picture 2, the one that fades in (JPEG):"
#define LUMISCENE_SAVER_BROWSE1 "&Browse..."
#define LUMISCENE_SAVER_BROWSE2 "B&rowse..."
#define LUMISCENE_SAVER_BUILT_IN "&Use the built-in pictures"
#define LUMISCENE_SAVER_OK "OK"
#define LUMISCENE_SAVER_CANCEL "Cancel"

#endif
