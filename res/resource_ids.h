#pragma once
// Identifiers of the program's resources, shared by korvane.rc and the code.
#define IDI_KORVANE 1

// Pictures of the main window (200-299).
#define IDB_STATUS_RAM 200  // status panel 0, image list entry 0
#define IDB_STATUS_CPU 201  // status panel 1, image list entry 1
#define IDB_CHECK_ON 202    // image list entry 2: ticked box
#define IDB_CHECK_OFF 203   // image list entry 3: empty box
#define IDB_LOGO_WIN95 210  // Windows release logos, 250 x 60
#define IDB_LOGO_WIN98 211
#define IDB_LOGO_WINME 212
#define IDB_LOGO_WINNT 213
#define IDB_LOGO_WINNTS 214
#define IDB_LOGO_WIN2K 215
#define IDB_LOGO_WINXP 216
#define IDB_LOGO_WINLATER 217  // every release after XP
#define IDB_LOGO_INTEL 220  // processor maker logos, 65 x 81
#define IDB_LOGO_AMD 221
#define IDB_LOGO_CYRIX 222
#define IDB_LOGO_P4HT 223
#define IDB_INFO_WINDOWS 230  // small pictures beside the system information labels, 16 x 16
#define IDB_INFO_COMPUTER 231
#define IDB_INFO_USER 232
#define IDB_INFO_NETWORK 233
#define IDB_INFO_MEMORY 234
#define IDB_INFO_CLOCK 235
#define IDB_INFO_DIRECTX 236
#define IDB_INFO_SCREEN 237
#define IDB_HELP 240  // help picture of the About page, 32 x 32

// Pictures of the news window (250-259).
#define IDB_NEWS_HEADING 250  // tree image 0: a heading
#define IDB_NEWS_LINK 251     // tree image 1: a page or any other link
#define IDB_NEWS_ZIP 252      // tree image 2: a .zip download
#define IDB_NEWS_EXE 253      // tree image 3: a program download
#define IDB_NEWS_UPDATE 254   // the "Update" button
