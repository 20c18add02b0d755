#include "center_dialog.h"

#include <stdint.h>

namespace {
/* Screen arithmetic is signed 32-bit with two's-complement wrap, as on the
 * machines the dialogs run on; unsigned intermediates keep that free of
 * undefined behaviour for absurd rectangles. */
LONG Sub(LONG a, LONG b) { return static_cast<LONG>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
LONG Add(LONG a, LONG b) { return static_cast<LONG>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }

LONG Place(LONG refStart, LONG refEnd, LONG size, LONG workStart, LONG workEnd)
{
    const int64_t spare = static_cast<int64_t>(Sub(Sub(refEnd, refStart), size));
    LONG pos = Add(refStart, static_cast<LONG>(spare / 2)); /* truncates toward zero */
    if (pos < workStart)
        pos = workStart;
    else if (Add(pos, size) > workEnd)
        pos = Sub(workEnd, size);
    return pos;
}
} // namespace

DialogOrigin CenteredOrigin(const RECT &dialog, const RECT *owner, const RECT &workArea)
{
    const RECT &ref = owner ? *owner : workArea;
    const LONG w = Sub(dialog.right, dialog.left);
    const LONG h = Sub(dialog.bottom, dialog.top);
    DialogOrigin origin;
    origin.x = Place(ref.left, ref.right, w, workArea.left, workArea.right);
    origin.y = Place(ref.top, ref.bottom, h, workArea.top, workArea.bottom);
    return origin;
}

void CenterDialog(HWND dialog, HWND owner)
{
    RECT dialogRect = {0, 0, 0, 0};
    RECT workArea = {0, 0, 0, 0};
    RECT ownerRect = {0, 0, 0, 0};
    GetWindowRect(dialog, &dialogRect);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    const bool haveOwner = owner != nullptr && GetWindowRect(owner, &ownerRect);
    const DialogOrigin at = CenteredOrigin(dialogRect, haveOwner ? &ownerRect : nullptr, workArea);
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
