// A DLL that a test plants in a folder to see whether the program would load it.
#include <windows.h>

extern "C" __declspec(dllexport) int PlantedProbe() { return 42; }
