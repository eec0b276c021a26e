// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/settings/SettingsAt.h"

#include <QRegularExpression>

#include "core/at/NumberConversion.h"
#include "core/at/Quoted.h"

namespace SettingsAt {

namespace {
std::optional<int> digit(char c)
{
    if (c < '0' || c > '9')
        return std::nullopt;
    return c - '0';
}

std::optional<int> digitAt(const QByteArray &text, qsizetype at)
{
    if (at < 0 || at >= text.size())
        return std::nullopt;
    return digit(text.at(at));
}

// The list idiom of languages and profiles: drop through the first quote,
// take what stands before the next one, blank that quote out so the next
// round starts after it. False when no closing quote is left.
bool takeQuoted(QByteArray &rest, QByteArray &item)
{
    const qsizetype open = rest.indexOf('"');
    if (open < 0)
        return false;
    rest.remove(0, open + 1);
    const qsizetype close = rest.indexOf('"');
    if (close < 0)
        return false;
    item = rest.left(close);
    rest[close] = ' ';
    return true;
}
} // namespace

std::optional<int> radioDigit(const QByteArray &reply)
{
    const qsizetype colon = reply.indexOf(':');
    if (colon < 0)
        return std::nullopt;
    return digitAt(reply, colon + 2);
}

bool switchedOn(const QByteArray &reply)
{
    return reply.contains('1');
}

Listed languages(const QByteArray &reply)
{
    Listed out;
    QByteArray rest = reply;
    for (int n = 0; n < MaxListed && rest.contains('"'); ++n) {
        QByteArray code;
        if (!takeQuoted(rest, code)) {
            out.complete = false;
            break;
        }
        out.items << QString::fromLatin1(code);
    }
    return out;
}

std::optional<QByteArray> currentLanguage(const QByteArray &reply)
{
    static const QByteArray marker = "ELAN: \"";
    const qsizetype at = reply.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    QByteArray code = reply.mid(at + marker.size()).trimmed();
    const qsizetype close = code.indexOf('"');
    if (close >= 0)
        code.truncate(close);
    return code.trimmed();
}

std::optional<QByteArray> greeting(const QByteArray &reply)
{
    const qsizetype open = reply.indexOf('"');
    if (open < 0)
        return std::nullopt;
    const qsizetype close = reply.indexOf('"', open + 1);
    if (close < 0)
        return std::nullopt;
    return reply.mid(open + 1, close - open - 1);
}

std::optional<int> greetingMode(const QByteArray &reply)
{
    static const QByteArray marker = "ETXT: ";
    const qsizetype at = reply.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    return digitAt(reply, at + marker.size());
}

Listed profiles(const QByteArray &reply)
{
    Listed out;
    QByteArray rest = reply;
    for (int n = 1; n <= MaxListed; ++n) {
        if (!rest.contains("EAPN: " + QByteArray::number(n)))
            break;
        QByteArray name;
        if (!takeQuoted(rest, name)) {
            out.complete = false;
            break;
        }
        out.items << QLatin1Char(' ') + QString::fromLatin1(name);
    }
    return out;
}

std::optional<int> activeProfile(const QByteArray &reply)
{
    static const QByteArray marker = "EAPS: ";
    const qsizetype at = reply.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    const std::optional<int> m = digitAt(reply, at + marker.size());
    if (!m)
        return std::nullopt;
    return *m - 1;
}

std::optional<int> volumeMaximum(const QByteArray &reply)
{
    const qsizetype at = reply.indexOf("0-");
    if (at < 0)
        return std::nullopt;
    return digitAt(reply, at + 2);
}

std::optional<int> volume(const QByteArray &reply)
{
    return digitAt(reply, reply.indexOf(',') - 1);
}

std::optional<int> light(const QByteArray &reply)
{
    const QByteArray three = reply.mid(18, 3);
    for (int item = 0; item < 3; ++item) {
        const char d = char('0' + item);
        if (three == QByteArray("0,") + d || three == QByteArray(",") + d + '\r' || three == QByteArray(1, d) + "\r\n")
            return item;
    }
    return std::nullopt;
}

std::optional<int> vibration(const QByteArray &reply)
{
    std::optional<int> item;
    if (reply.contains(" 0"))
        item = 0;
    if (reply.contains(" 1"))
        item = 1;
    if (reply.contains(" 16"))
        item = 2;
    return item;
}

std::optional<QString> clockText(const QByteArray &reply)
{
    const std::optional<QByteArray> inside = greeting(reply);
    if (!inside)
        return std::nullopt;
    QString text = QString::fromLatin1(*inside).trimmed();
    if (text.size() < 6)
        return std::nullopt;
    text[2] = QLatin1Char('\\');
    text[5] = QLatin1Char('\\');
    return text.trimmed();
}

std::optional<int> timeFormat(const QByteArray &reply)
{
    const std::optional<int> d = radioDigit(reply);
    if (d == 2)
        return 0;
    if (d == 1)
        return 1;
    return std::nullopt;
}

std::optional<int> dateFormat(const QByteArray &reply)
{
    const std::optional<int> d = radioDigit(reply);
    if (d && *d <= 7)
        return d;
    return std::nullopt;
}

QStringList timeFormatItems()
{
    return {QStringLiteral("12:00 AM/PM"), QStringLiteral("24:00")};
}

QStringList dateFormatItems()
{
    return {QStringLiteral("Off"),      QStringLiteral("DD-MMM-YY"), QStringLiteral("DD-MM-YY"),
            QStringLiteral("MM/DD/YY"), QStringLiteral("DD/MM/YY"),  QStringLiteral("DD.MM.YY"),
            QStringLiteral("YYMMDD"),   QStringLiteral("YY-MM-DD")};
}

QByteArray switchCommand(const char *code, bool on)
{
    return QByteArray("AT*") + code + (on ? "=1\r\n" : "=0\r\n");
}

QByteArray choiceCommand(const char *code, int item)
{
    return QByteArray("AT*") + code + '=' + QByteArray::number(item) + "\r\n";
}

std::optional<QByteArray> voicemailCommand(const QByteArray &queryReply, const QByteArray &typed)
{
    if (queryReply.size() <= 21)
        return std::nullopt;
    const QByteArray extra = queryReply.at(21) == ',' ? "1," : "";
    return "AT*ESVM=1," + extra + '"' + numberTophone(typed) + "\r\n";
}

QByteArray languageCommand(const QByteArray &code)
{
    return "AT*ELAN=\"" + quoted(code) + "\"\r\n";
}

QByteArray greetingCommand(const QByteArray &text, bool threeFields)
{
    return QByteArray(threeFields ? "AT*ETXT=1,1,\"" : "AT*ETXT=1,\"") + quoted(text) + "\"\r\n";
}

QByteArray greetingModeCommand(int mode)
{
    return "AT*ETXT=" + QByteArray::number(mode) + "\r\n";
}

QByteArray profileCommand(int index)
{
    return "AT*EAPS=" + QByteArray::number(index + 1) + "\r\n";
}

QByteArray volumeCommand(int position)
{
    return "AT*ERIL=" + QByteArray::number(position) + ",1\r\n";
}

QByteArray lightCommand(int item)
{
    return "AT*ESBL=0," + QByteArray::number(item) + "\r\n";
}

std::optional<QByteArray> vibrationCommand(int item)
{
    static const char *const values[] = {"0", "1", "16"};
    if (item < 0 || item > 2)
        return std::nullopt;
    return QByteArray("AT+CVIB=") + values[item] + "\r\n";
}

QByteArray clockCommand(const QString &boxText)
{
    QByteArray text = quoted(boxText.toLatin1());
    if (text.size() > 2)
        text[2] = '/';
    if (text.size() > 5)
        text[5] = '/';
    return "AT+CCLK=\"" + text + "\"\r\n";
}

std::optional<QByteArray> clockWithoutZone(const QByteArray &command)
{
    static const QRegularExpression zone(QStringLiteral("[+-]\\d{1,2}(?=\"\\r\\n$)"));
    QString text = QString::fromLatin1(command);
    const QRegularExpressionMatch m = zone.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    text.remove(m.capturedStart(), m.capturedLength());
    return text.toLatin1();
}

QString clockBoxText(const QDateTime &when)
{
    return when.toString(QStringLiteral("yy'\\'MM'\\'dd,HH:mm:ss"));
}

QByteArray alarmCommand(const QTime &time)
{
    return "AT+CALA=\"" + time.toString(QStringLiteral("HH:mm")).toLatin1() + "\"\r\n";
}

QByteArray timeFormatCommand(int item)
{
    return item == 1 ? QByteArray("AT*ESTF=1\r\n") : QByteArray("AT*ESTF=2\r\n");
}

QByteArray dateFormatCommand(int item)
{
    return "AT*ESDF=" + QByteArray::number(item) + "\r\n";
}

} // namespace SettingsAt
