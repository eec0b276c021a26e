#include "core/at/Charset.h"

QByteArray toPhoneText(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    // Walk code points, not UTF-16 units, so a character outside the BMP
    // becomes one "?" and not two.
    for (auto it = text.cbegin(); it != text.cend(); ++it) {
        char32_t cp = it->unicode();
        if (it->isHighSurrogate() && it + 1 != text.cend() && (it + 1)->isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(*it, *(it + 1));
            ++it;
        }
        out.append(cp <= 0xFF ? char(cp) : '?');
    }
    return out;
}

QString fromPhoneText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}
