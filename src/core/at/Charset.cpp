// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/at/Charset.h"

#include <QHash>
#include <optional>

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

namespace {
// Letters and signs that Unicode does not decompose into a Latin-1 base, but
// that have a spelling every reader of the name understands.
const QHash<char32_t, QString> &spellings()
{
    static const QHash<char32_t, QString> table{
        {U'\u0110', QStringLiteral("D")},   {U'\u0111', QStringLiteral("d")},   {U'\u0126', QStringLiteral("H")},
        {U'\u0127', QStringLiteral("h")},   {U'\u0131', QStringLiteral("i")},   {U'\u0141', QStringLiteral("L")},
        {U'\u0142', QStringLiteral("l")},   {U'\u0152', QStringLiteral("OE")},  {U'\u0153', QStringLiteral("oe")},
        {U'\u0166', QStringLiteral("T")},   {U'\u0167', QStringLiteral("t")},   {U'\u0180', QStringLiteral("b")},
        {U'\u0192', QStringLiteral("f")},   {U'\u01E4', QStringLiteral("G")},   {U'\u01E5', QStringLiteral("g")},
        {U'\u0218', QStringLiteral("S")},   {U'\u0219', QStringLiteral("s")},   {U'\u021A', QStringLiteral("T")},
        {U'\u021B', QStringLiteral("t")},   {U'\u1E9E', QStringLiteral("SS")},  {U'\u2010', QStringLiteral("-")},
        {U'\u2011', QStringLiteral("-")},   {U'\u2012', QStringLiteral("-")},   {U'\u2013', QStringLiteral("-")},
        {U'\u2014', QStringLiteral("-")},   {U'\u2015', QStringLiteral("-")},   {U'\u2018', QStringLiteral("'")},
        {U'\u2019', QStringLiteral("'")},   {U'\u201A', QStringLiteral(",")},   {U'\u201B', QStringLiteral("'")},
        {U'\u201C', QStringLiteral("\"")},  {U'\u201D', QStringLiteral("\"")},  {U'\u201E', QStringLiteral("\"")},
        {U'\u2022', QStringLiteral("*")},   {U'\u2026', QStringLiteral("...")}, {U'\u2032', QStringLiteral("'")},
        {U'\u2033', QStringLiteral("\"")},  {U'\u20AC', QStringLiteral("EUR")}, {U'\u2122', QStringLiteral("TM")},
        {U'\u2212', QStringLiteral("-")},
    };
    return table;
}

// The compatibility decomposition without its combining marks ("Č" -> "C",
// "ﬁ" -> "fi", "Ａ" -> "A"; a mark alone is dropped); none when what is
// left is not Latin-1.
std::optional<QString> decomposed(char32_t cp)
{
    const QString parts = QString::fromUcs4(&cp, 1).normalized(QString::NormalizationForm_KD);
    QString kept;
    for (const QChar c : parts) {
        if (c.isMark())
            continue;
        if (c.unicode() > 0xFF || c.isSurrogate())
            return std::nullopt;
        kept += c;
    }
    return kept;
}
} // namespace

QString spelledForPhone(const QString &text)
{
    // Composed first: "A" with a combining ring is the "Å" Latin-1 has.
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QString out;
    out.reserve(composed.size());
    for (auto it = composed.cbegin(); it != composed.cend(); ++it) {
        char32_t cp = it->unicode();
        if (it->isHighSurrogate() && it + 1 != composed.cend() && (it + 1)->isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(*it, *(it + 1));
            ++it;
        }
        if (cp <= 0xFF) {
            out += QChar(cp);
            continue;
        }
        if (const auto found = spellings().constFind(cp); found != spellings().cend()) {
            out += *found;
            continue;
        }
        const std::optional<QString> spelled = QChar::isSurrogate(cp) ? std::nullopt : decomposed(cp);
        out += spelled ? *spelled : QStringLiteral("?");
    }
    return out;
}
