#pragma once

// Sends a window the window manager's close request (WM_DELETE_WINDOW), as its title bar's
// close button would; false when the display cannot be opened.
bool RequestWindowClose(const char* display, unsigned long window);
