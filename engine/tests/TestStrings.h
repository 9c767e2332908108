#pragma once
/* The string table entries that installation runs in the engine's tests read: natively from the
   system double, under Wine from the test program's own resources (TestStrings.rc). A product
   name of its own keeps the desktop shortcut of these runs apart from the kit's. UTF-8; read by
   the resource compiler as well, so plain macros only. */
#define VR_TEST_PRODUCT_NAME "Вирельта, проверка установки"
#define VR_TEST_PRODUCT_DESCRIPTION "Комплекс суточного мониторирования электрокардиограмм"
#define VR_TEST_MAIN_PROGRAM "Virelta.exe"
