/* Ids of the program's resources, shared by brisko.rc and the code (the
   resource compiler reads only the preprocessor's #define). */
#pragma once

#define IDI_BRISKO 128   /* the program icon: 32x32 and 16x16 */
#define IDS_ABOUTBOX 101 /* the system menu's About entry */
