/* Dialog placement: centred over the owner (or the work area when there is
 * none), then pushed back inside the work area. */
#ifndef COMMON_CENTER_DIALOG_H
#define COMMON_CENTER_DIALOG_H

#include "winapi.h"

struct DialogOrigin {
    LONG x;
    LONG y;
};

/* The top-left corner for a dialog of the given rectangle.  owner may be
 * NULL.  Only one correction is applied per axis: if centring puts the left
 * (top) edge outside the work area it goes onto the work-area edge; otherwise
 * if the right (bottom) edge sticks out, that edge goes onto the work area's. */
DialogOrigin CenteredOrigin(const RECT &dialog, const RECT *owner, const RECT &workArea);

/* Moves the dialog window; called by every dialog procedure on WM_INITDIALOG. */
void CenterDialog(HWND dialog, HWND owner);

#endif
