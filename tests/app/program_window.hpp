#pragma once

#include <sys/types.h>
#include <optional>

// Xlib's own declaration, repeated so that including this header brings none of Xlib's macros (Bool, Status),
// which Qt's headers refuse to follow.
typedef struct _XDisplay Display;

namespace clicktrove::testing {

// Windows are X window ids (Xlib's Window).
//
// The program's main window, as a window manager or `xdotool` finds it: the top-level window of process pid with
// a WM_CLASS (Qt's helper windows have none), the mapped one where there are several.
std::optional<unsigned long> mainWindowOf(Display* display, pid_t pid);
bool isMapped(Display* display, unsigned long window);
// Asks the window to close, as a window manager's close button does (WM_DELETE_WINDOW).
void askToClose(Display* display, unsigned long window);

}  // namespace clicktrove::testing
