#pragma once
// The three commands the plug-in registers with the client (retrieve all, setup, stop),
// their menu items and toolbar buttons.
#include <windows.h>

// Ids the client returned for the commands; 0 until registered. The newest registration wins.
struct CommandIds {
    int retrieveAll = 0;
    int setup = 0;
    int stop = 0;
};
extern CommandIds commandIds;

// Appends a separator and the three commands to the fifth popup of `menu`, registering each.
void setUpMenu(HMENU menu, int menuType);

// Appends the three buttons to the first toolbar of the client's main window, if it has one.
void setUpToolbar();

// Callback of the client's stop command: asks the run to end and returns at once.
void WINAPI requestStop(HWND window, int parameter);

// Callback of the setup command; ignored while a run is going.
void WINAPI runSetup(HWND owner, int parameter);
