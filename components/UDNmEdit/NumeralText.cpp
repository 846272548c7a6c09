#include "components/UDNmEdit/NumeralText.h"

#include <algorithm>
#include <limits>

#include "platform/ToolkitErrors.h"

namespace morvik {

namespace {

// The digit tables: the first 10 entries serve decimal, all 16 hexadecimal.
// Full-width hexadecimal keeps single-width letters.
const QString kHalfDigits = QStringLiteral("0123456789ABCDEF");
const QString kFullDigits = QStringLiteral("０１２３４５６７８９ABCDEF");

constexpr QChar kFullSeparator = u'，';
constexpr QChar kFullIndicator = u'＄';
constexpr QChar kFullMinus = u'－';
constexpr QChar kFullZero = u'０';
constexpr char16_t kBackspace = 8;

QString ConvertWidth(const QString& s, bool hex, const QString& from, const QString& to) {
    const QStringView source = QStringView(from).first(hex ? 16 : 10);
    QString result;
    for (const QChar c : s.toUpper()) {
        const qsizetype index = source.indexOf(c);
        if (index >= 0) result += to[index];
    }
    return result;
}

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool IsHexLetter(QChar c) {
    const QChar lower = LowerAscii(c);
    return lower >= u'a' && lower <= u'f';
}

// Digit groups from the right, never a separator in front; returns the
// length of the leading group.
int Group(QString& digits, int groupSize, QChar separator) {
    int length = CharCount(digits);
    while (length > groupSize) {
        length -= groupSize;
        digits = CharInsert(separator, digits, length + 1);
    }
    return length;
}

}  // namespace

int CharCount(const QString& s) { return static_cast<int>(s.size()); }

QString CharCopy(const QString& s, int pos, int n) {
    if (pos < 1 || pos > CharCount(s) || n <= 0) return {};
    return s.mid(pos - 1, n);
}

QString CharInsert(const QString& sub, const QString& s, int pos) {
    QString result = s;
    return result.insert(std::clamp(pos, 1, CharCount(s) + 1) - 1, sub);
}

QString CharDelete(const QString& s, int pos) {
    if (pos < 1 || pos > CharCount(s)) return s;
    QString result = s;
    return result.remove(pos - 1, 1);
}

QString CharReplace(const QString& s, const QString& sub, int pos) {
    return CharInsert(sub, CharDelete(s, pos), pos);
}

QChar LowerAscii(QChar c) { return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c; }

QString ToHalfWidth(const QString& s, bool hex) {
    return ConvertWidth(s, hex, kFullDigits, kHalfDigits);
}

QString ToFullWidth(const QString& s, bool hex) {
    return ConvertWidth(s, hex, kHalfDigits, kFullDigits);
}

QString FormatValue(int32_t value, TEditOptions options) {
    const bool hex = options & eoHEXIndicate;
    const bool doubleWidth = options & eoDWDisplay;
    QString digits =
        hex ? QString::number(static_cast<uint32_t>(value), 16).toUpper().rightJustified(2, u'0')
            : QString::number(value);
    const bool negative = digits.startsWith(u'-');
    if (negative) digits.remove(0, 1);
    if (doubleWidth) digits = ToFullWidth(digits, hex);

    int leading = CharCount(digits);
    if (options & eoDivide) {
        leading = Group(digits, hex ? 2 : 3, doubleWidth ? kFullSeparator : QChar(u','));
    }
    if (hex) {
        if (leading % 2 == 1) digits.prepend(doubleWidth ? kFullZero : QChar(u'0'));
        return digits.prepend(doubleWidth ? kFullIndicator : QChar(u'$'));
    }
    return negative ? digits.prepend(doubleWidth ? kFullMinus : QChar(u'-')) : digits;
}

QString ParseText(const QString& text, TEditOptions options) {
    const bool hex = options & eoHEXIndicate;
    const bool negative = !text.isEmpty() && (text[0] == u'-' || text[0] == kFullMinus);
    QString numeral;
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            if (IsDigit(c) || (hex && IsHexLetter(c))) numeral += LowerAscii(c);
        } else if (options & eoDWDisplay) {
            numeral += ToHalfWidth(QString(c), hex);
        }
    }
    if (hex) return u'$' + numeral;
    return negative ? u'-' + numeral : numeral;
}

int32_t ConvertNumeral(const QString& numeral) {
    const auto fail = [&numeral]() -> int32_t { throw EConvertError(numeral.toStdString()); };
    const bool hex = numeral.startsWith(u'$');
    const bool negative = numeral.startsWith(u'-');
    const QStringView digits = QStringView(numeral).sliced(hex || negative ? 1 : 0);
    if (digits.isEmpty()) return fail();

    // Leading zeros keep the value small, so the limit test stays exact.
    const int64_t limit = hex ? 0xFFFFFFFFll : 2147483648ll;
    int64_t magnitude = 0;
    for (const QChar c : digits) {
        int digit = 0;
        if (IsDigit(c)) {
            digit = c.unicode() - u'0';
        } else if (hex && IsHexLetter(c)) {
            digit = LowerAscii(c).unicode() - u'a' + 10;
        } else {
            return fail();
        }
        magnitude = magnitude * (hex ? 16 : 10) + digit;
        if (magnitude > limit) return fail();
    }
    if (hex) return static_cast<int32_t>(static_cast<uint32_t>(magnitude));
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) return fail();
    return static_cast<int32_t>(value);
}

KeyFilterResult FilterKey(QChar key, TEditOptions options) {
    const bool hex = options & eoHEXIndicate;
    const bool divide = options & eoDivide;
    const auto pass = [](bool passes) {
        return KeyFilterResult{passes ? KeyAction::Pass : KeyAction::Drop, {}};
    };
    const auto insert = [](bool inserts, QString text) {
        return inserts ? KeyFilterResult{KeyAction::Insert, std::move(text)}
                       : KeyFilterResult{KeyAction::Drop, {}};
    };

    if (options & eoDWDisplay && key != QChar(kBackspace)) {
        if (IsDigit(key)) return insert(true, ToFullWidth(key, false));
        if (IsHexLetter(key)) return insert(hex, QString(key.toUpper()));
        if (key == u'$') return insert(hex, kFullIndicator);
        if (key == u'-') return insert(!hex, kFullMinus);
        if (key == u',') return insert(divide, kFullSeparator);
        return pass(false);
    }
    if (IsDigit(key) || key == QChar(kBackspace)) return pass(true);
    if (IsHexLetter(key)) return pass(hex);
    if (key == u'-') return pass(!hex);
    if (key == u',') return pass(divide);
    return pass(false);
}

}  // namespace morvik
