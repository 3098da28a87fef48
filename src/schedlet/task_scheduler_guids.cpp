// Defines the Task Scheduler class and interface identifiers once for the
// library and everything that links it.
#include <windows.h>
#include <initguid.h>
#include <taskschd.h>
