#pragma once

#include <QObject>
#include <array>
#include <cstdint>

#include "platform/WindowMessages.h"

namespace morvik {

// What each of the eight sizing-border zones of a form reports to the window
// system, for the form size limiter: the zone's own code, another sizing
// code, nothing, or a choice made from which axes are fixed.
class TFrameCursor : public QObject {
    Q_OBJECT
    // In stream order: the mode first, then the zones in index order.
    Q_PROPERTY(TCursorMode CursorMode READ CursorMode WRITE SetCursorMode)
    Q_PROPERTY(THTCursor fpTOP READ fpTOP WRITE SetfpTOP)
    Q_PROPERTY(THTCursor fpTOPRIGHT READ fpTOPRIGHT WRITE SetfpTOPRIGHT)
    Q_PROPERTY(THTCursor fpRIGHT READ fpRIGHT WRITE SetfpRIGHT)
    Q_PROPERTY(THTCursor fpBOTTOMRIGHT READ fpBOTTOMRIGHT WRITE SetfpBOTTOMRIGHT)
    Q_PROPERTY(THTCursor fpBOTTOM READ fpBOTTOM WRITE SetfpBOTTOM)
    Q_PROPERTY(THTCursor fpBOTTOMLEFT READ fpBOTTOMLEFT WRITE SetfpBOTTOMLEFT)
    Q_PROPERTY(THTCursor fpLEFT READ fpLEFT WRITE SetfpLEFT)
    Q_PROPERTY(THTCursor fpTOPLEFT READ fpTOPLEFT WRITE SetfpTOPLEFT)

  public:
    enum THTCursor : uint8_t {
        cAutomatic,
        cNOWHERE,
        cTOP,
        cTOPRIGHT,
        cRIGHT,
        cBOTTOMRIGHT,
        cBOTTOM,
        cBOTTOMLEFT,
        cLEFT,
        cTOPLEFT,
    };
    Q_ENUM(THTCursor)
    enum TCursorMode : uint8_t { cmAutomatic, cmSemiAuto, cmManual };
    Q_ENUM(TCursorMode)

    static constexpr int kZones = 8;
    // Each zone's default reports the zone's own code.
    static constexpr std::array<THTCursor, kZones> DefaultZoneCursors{
        cTOP, cTOPRIGHT, cRIGHT, cBOTTOMRIGHT, cBOTTOM, cBOTTOMLEFT, cLEFT, cTOPLEFT};

    explicit TFrameCursor(QObject* parent = nullptr) : QObject(parent) {}

    TCursorMode CursorMode() const { return cursorMode_; }
    // To manual: zones left automatic take their defaults.
    void SetCursorMode(TCursorMode mode);
    THTCursor GetZone(int index) const { return zones_[index]; }
    // A zone set automatic makes the mode semi-automatic.
    void SetZone(int index, THTCursor value);
    // Copies the zones, not the mode, and without SetZone's side effect.
    void Assign(const TFrameCursor& source) { zones_ = source.zones_; }

    THTCursor fpTOP() const { return GetZone(0); }
    void SetfpTOP(THTCursor value) { SetZone(0, value); }
    THTCursor fpTOPRIGHT() const { return GetZone(1); }
    void SetfpTOPRIGHT(THTCursor value) { SetZone(1, value); }
    THTCursor fpRIGHT() const { return GetZone(2); }
    void SetfpRIGHT(THTCursor value) { SetZone(2, value); }
    THTCursor fpBOTTOMRIGHT() const { return GetZone(3); }
    void SetfpBOTTOMRIGHT(THTCursor value) { SetZone(3, value); }
    THTCursor fpBOTTOM() const { return GetZone(4); }
    void SetfpBOTTOM(THTCursor value) { SetZone(4, value); }
    THTCursor fpBOTTOMLEFT() const { return GetZone(5); }
    void SetfpBOTTOMLEFT(THTCursor value) { SetZone(5, value); }
    THTCursor fpLEFT() const { return GetZone(6); }
    void SetfpLEFT(THTCursor value) { SetZone(6, value); }
    THTCursor fpTOPLEFT() const { return GetZone(7); }
    void SetfpTOPLEFT(THTCursor value) { SetZone(7, value); }

  private:
    TCursorMode cursorMode_ = cmAutomatic;
    std::array<THTCursor, kZones> zones_ = DefaultZoneCursors;
};

// The hit-test decisions, as plain functions of the code, the settings and
// which axes are fixed. Codes outside the sizing border (10..17) pass.
LRESULT AutoHitTest(LRESULT code, bool fixedWidth, bool fixedHeight);
LRESULT ResolveZone(LRESULT code, TFrameCursor::THTCursor setting, TFrameCursor::TCursorMode mode,
                    bool fixedWidth, bool fixedHeight);
LRESULT MapHitTest(LRESULT code, const TFrameCursor& cursor, bool fixedWidth, bool fixedHeight);

}  // namespace morvik
