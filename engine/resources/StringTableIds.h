#pragma once
/* Numbers of the installer's string table entries. Read by the resource compiler as well as by
   the C++ code, so plain macros only. */
#define VR_STR_APP_NAME 0            /* the short application name, "Virelta" */
#define VR_STR_PRODUCT_NAME 1        /* the product name, "Вирельта" */
#define VR_STR_PRODUCT_DESCRIPTION 2 /* the product description */
#define VR_STR_LAST_FILE_ENTRY 3     /* the number of the last entry of the file list, as text */
#define VR_STR_MAIN_PROGRAM 4        /* the complex's main program; the file list starts here */
