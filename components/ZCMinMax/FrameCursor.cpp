#include "components/ZCMinMax/FrameCursor.h"

#include <iterator>

namespace morvik {

namespace {

// The code each setting reports, by its value; beyond the table, nothing.
LRESULT SettingCode(TFrameCursor::THTCursor setting) {
    constexpr LRESULT kCodes[] = {HTNOWHERE,     HTNOWHERE, HTTOP,        HTTOPRIGHT, HTRIGHT,
                                  HTBOTTOMRIGHT, HTBOTTOM,  HTBOTTOMLEFT, HTLEFT,     HTTOPLEFT};
    return setting < std::size(kCodes) ? kCodes[setting] : HTNOWHERE;
}

// The zone index of each sizing code, HTLEFT (10) to HTBOTTOMRIGHT (17).
constexpr int kZoneOfCode[] = {6, 2, 0, 7, 1, 4, 5, 3};

}  // namespace

void TFrameCursor::SetCursorMode(TCursorMode mode) {
    if (mode == cursorMode_) return;
    cursorMode_ = mode;
    if (mode != cmManual) return;
    for (int zone = 0; zone < kZones; ++zone) {
        if (zones_[zone] == cAutomatic) zones_[zone] = DefaultZoneCursors[zone];
    }
}

void TFrameCursor::SetZone(int index, THTCursor value) {
    zones_[index] = value;
    if (value == cAutomatic) SetCursorMode(cmSemiAuto);
}

// A fixed axis takes its sizing away: the corners size along the other axis
// alone, and its own edges do nothing.
LRESULT AutoHitTest(LRESULT code, bool fixedWidth, bool fixedHeight) {
    if (!IsSizingBorder(code) || (!fixedWidth && !fixedHeight)) return code;
    if (fixedWidth && fixedHeight) return HTNOWHERE;
    if (fixedWidth) {
        switch (code) {
            case HTTOP:
            case HTTOPLEFT:
            case HTTOPRIGHT:
                return HTTOP;
            case HTBOTTOM:
            case HTBOTTOMLEFT:
            case HTBOTTOMRIGHT:
                return HTBOTTOM;
            default:
                return HTNOWHERE;
        }
    }
    switch (code) {
        case HTLEFT:
        case HTTOPLEFT:
        case HTBOTTOMLEFT:
            return HTLEFT;
        case HTRIGHT:
        case HTTOPRIGHT:
        case HTBOTTOMRIGHT:
            return HTRIGHT;
        default:
            return HTNOWHERE;
    }
}

LRESULT ResolveZone(LRESULT code, TFrameCursor::THTCursor setting, TFrameCursor::TCursorMode mode,
                    bool fixedWidth, bool fixedHeight) {
    if (mode == TFrameCursor::cmAutomatic) return AutoHitTest(code, fixedWidth, fixedHeight);
    if (setting == TFrameCursor::cAutomatic) {
        return mode == TFrameCursor::cmManual ? code : AutoHitTest(code, fixedWidth, fixedHeight);
    }
    return SettingCode(setting);
}

LRESULT MapHitTest(LRESULT code, const TFrameCursor& cursor, bool fixedWidth, bool fixedHeight) {
    if (!IsSizingBorder(code)) return code;
    const TFrameCursor::THTCursor setting = cursor.GetZone(kZoneOfCode[code - HTLEFT]);
    return ResolveZone(code, setting, cursor.CursorMode(), fixedWidth, fixedHeight);
}

}  // namespace morvik
