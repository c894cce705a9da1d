#include "FilePath.h"

namespace filepath
{
namespace
{

constexpr char16_t kCarryBase = 0xDC00;

// The length of the valid UTF-8 sequence at bytes[i], or 0 when none starts
// there (a stray continuation byte, an overlong form, a surrogate, a code
// point beyond U+10FFFF or a sequence cut short).
int sequenceLength(const QByteArray &bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return uchar(bytes[k]); };
    const uchar lead = at(i);
    int length = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    }
    return length;
}

} // namespace

QString fromNative(const QByteArray &bytes)
{
    QString path;
    path.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = sequenceLength(bytes, i);
        if (length == 0) {
            path += QChar(char16_t(kCarryBase + uchar(bytes[i])));
            ++i;
        } else {
            path += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        }
    }
    return path;
}

int carriedByte(QChar c)
{
    const char16_t u = c.unicode();
    return u >= kCarryBase + 0x80 && u <= kCarryBase + 0xFF ? int(u - kCarryBase) : -1;
}

QByteArray toNative(const QString &path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype start = 0; // start of the run of ordinary text not yet encoded
    for (qsizetype i = 0; i < path.size(); ++i) {
        const int byte = carriedByte(path[i]);
        if (byte < 0)
            continue;
        bytes += QStringView(path).mid(start, i - start).toUtf8();
        bytes += char(byte);
        start = i + 1;
    }
    bytes += QStringView(path).mid(start).toUtf8();
    return bytes;
}

QString forDisplay(const QString &path)
{
    QString shown = path;
    for (QChar &c : shown) {
        if (carriedByte(c) >= 0)
            c = QChar::ReplacementCharacter;
    }
    return shown;
}

} // namespace filepath
