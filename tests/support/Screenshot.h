#pragma once
// Screenshots of test windows, written as PNG files for a person to look at.
#include <windows.h>

#include <string>
#include <vector>

// Writes the pixels `window` has drawn, frame included, as a PNG file; false when it could
// not. It reads the window's own surface, not the screen, so windows above it do not show;
// DialogDriver::screenshot makes the window paint first.
bool saveWindowPng(HWND window, const std::string& path);

// Several windows as they lie on the screen, each from its own surface, later ones on top:
// a popup menu, say, over its dialog.
bool saveWindowsPng(const std::vector<HWND>& windows, const std::string& path);

// "<folder of the test program>\screenshots\<name>.png"; the folder is made when missing.
std::string screenshotPath(const std::string& name);
