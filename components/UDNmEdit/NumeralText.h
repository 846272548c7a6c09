#pragma once

#include <QFlags>
#include <QObject>
#include <QString>
#include <cstdint>

namespace morvik {
namespace numeral {
Q_NAMESPACE

// How a numeral edit shows its value. One bit each.
enum TEditOption : uint8_t {
    eoHEXIndicate = 1,  // hexadecimal behind "$"
    eoDWDisplay = 2,    // full-width digits and signs
    eoDivide = 4,       // "," between groups of three decimal or two hexadecimal digits
    eoRightAlign = 8,   // right-aligned text; no effect on the text itself
};
Q_DECLARE_FLAGS(TEditOptions, TEditOption)
Q_FLAG_NS(TEditOptions)

}  // namespace numeral

using numeral::eoDivide;
using numeral::eoDWDisplay;
using numeral::eoHEXIndicate;
using numeral::eoRightAlign;
using numeral::TEditOption;
using numeral::TEditOptions;

// Character positions count from 1; a full-width character is one character.
int CharCount(const QString& s);
QString CharCopy(const QString& s, int pos, int n);
QString CharInsert(const QString& sub, const QString& s, int pos);
QString CharDelete(const QString& s, int pos);
QString CharReplace(const QString& s, const QString& sub, int pos);
QChar LowerAscii(QChar c);

// Digits between their half-width and full-width forms; anything that is no
// digit (or, with hex, no letter A-F) is dropped. Full-width hexadecimal
// letters do not exist here: hex letters stay single-width.
QString ToHalfWidth(const QString& s, bool hex);
QString ToFullWidth(const QString& s, bool hex);

// The text a value is shown as.
QString FormatValue(int32_t value, TEditOptions options);

// Any typed or pasted text reduced to a numeral: digits (and hex letters) in
// lower case, behind "$" in hexadecimal or "-" when the text starts negative.
QString ParseText(const QString& text, TEditOptions options);

// The value of a numeral. Throws EConvertError for an empty numeral, a sign
// or "$" without digits, or a value outside 32 bits.
int32_t ConvertNumeral(const QString& numeral);

enum class KeyAction { Pass, Drop, Insert };

struct KeyFilterResult {
    KeyAction action;
    QString text;  // what to insert, for Insert
};

// What happens to one typed character.
KeyFilterResult FilterKey(QChar key, TEditOptions options);

}  // namespace morvik

Q_DECLARE_OPERATORS_FOR_FLAGS(morvik::TEditOptions)
