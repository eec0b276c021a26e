// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/status/StatusAt.h"

#include "core/at/ReplyParse.h"

#include <QList>
#include <QRegularExpression>

namespace StatusAt {

namespace {
// The fields after "+XXX:" on its line, trimmed; empty when the reply holds
// no such line.
QList<QByteArray> fields(const QByteArray &reply, const char *prefix)
{
    const qsizetype at = reply.indexOf(prefix);
    if (at < 0)
        return {};
    QByteArray line = Reply::firstLine(reply.mid(at + qsizetype(qstrlen(prefix))));
    line.replace('\0', QByteArray());
    QList<QByteArray> out;
    for (const QByteArray &f : line.split(','))
        out << Reply::trimmed(f);
    return out;
}

std::optional<int> number(const QByteArray &field)
{
    if (field.isEmpty() || field.size() > 4)
        return std::nullopt;
    for (char c : field)
        if (c < '0' || c > '9')
            return std::nullopt;
    return field.toInt();
}
} // namespace

std::optional<Signal> parseCsq(const QByteArray &reply)
{
    const QList<QByteArray> f = fields(reply, "+CSQ:");
    const std::optional<int> rssi = f.isEmpty() ? std::nullopt : number(f.first());
    if (!rssi || (*rssi > 31 && *rssi != 99))
        return std::nullopt;
    if (*rssi == 99)
        return Signal{};
    const int dbm = -113 + 2 * *rssi;
    // Bars as phones show them: none below -107 dBm, five from -67 dBm.
    int bars = 0;
    for (int threshold : {-107, -97, -87, -77, -67})
        bars += dbm >= threshold ? 1 : 0;
    return Signal{true, dbm, bars};
}

QString signalText(const Signal &s)
{
    if (!s.known)
        return QStringLiteral("no signal");
    return QStringLiteral("%1 dBm (%2 of 5 bars)").arg(s.dbm).arg(s.bars);
}

std::optional<int> parseCbc(const QByteArray &reply)
{
    const QList<QByteArray> f = fields(reply, "+CBC:");
    const std::optional<int> level = f.size() >= 2 ? number(f.at(1)) : std::nullopt;
    if (!level || *level > 100)
        return std::nullopt;
    return level;
}

std::optional<int> parseCindBattery(const QByteArray &reply, const QByteArray &names)
{
    qsizetype place = 0;
    if (!names.isEmpty()) {
        static const QRegularExpression name(QStringLiteral("\\(\\s*\"([^\"]*)\""));
        auto it = name.globalMatch(QString::fromLatin1(names));
        qsizetype n = 0;
        place = -1;
        while (it.hasNext()) {
            if (it.next().captured(1).compare(QLatin1String("battchg"), Qt::CaseInsensitive) == 0) {
                place = n;
                break;
            }
            ++n;
        }
        if (place < 0)
            return std::nullopt;
    }
    const QList<QByteArray> f = fields(reply, "+CIND:");
    const std::optional<int> level = place < f.size() ? number(f.at(place)) : std::nullopt;
    if (!level || *level > 5)
        return std::nullopt;
    return *level * 20;
}

std::optional<QByteArray> parseCops(const QByteArray &reply)
{
    const qsizetype at = reply.indexOf("+COPS:");
    if (at < 0)
        return std::nullopt;
    const QByteArray line = Reply::firstLine(reply.mid(at));
    const qsizetype open = line.indexOf('"');
    const qsizetype close = open < 0 ? -1 : line.indexOf('"', open + 1);
    if (close < 0)
        return std::nullopt;
    const QByteArray name = Reply::trimmed(line.mid(open + 1, close - open - 1));
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<Registration> parseCreg(const QByteArray &reply)
{
    const QList<QByteArray> f = fields(reply, "+CREG:");
    // "+CREG: n,stat" after the query; a phone may leave out n.
    std::optional<int> stat;
    if (f.size() >= 2)
        stat = number(f.at(1));
    else if (f.size() == 1)
        stat = number(f.at(0));
    if (!stat || *stat > 5)
        return std::nullopt;
    return Registration(*stat);
}

QString registrationText(Registration r)
{
    switch (r) {
    case Registration::NotRegistered: return QStringLiteral("not registered");
    case Registration::Home: return QStringLiteral("home");
    case Registration::Searching: return QStringLiteral("searching");
    case Registration::Denied: return QStringLiteral("denied");
    case Registration::Unknown: return QStringLiteral("unknown");
    case Registration::Roaming: return QStringLiteral("roaming");
    }
    return {};
}

std::optional<QByteArray> parseCpin(const QByteArray &reply)
{
    const qsizetype at = reply.indexOf("+CPIN:");
    if (at < 0)
        return std::nullopt;
    QByteArray word = Reply::trimmed(Reply::firstLine(reply.mid(at + 6)));
    word.replace('\0', QByteArray());
    word.replace('"', QByteArray());
    if (word.isEmpty() || word.size() > 16)
        return std::nullopt;
    for (char c : word)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '-'))
            return std::nullopt;
    return word;
}

std::optional<int> parseTriesLeft(const QByteArray &reply, const QByteArray &code)
{
    static const QRegularExpression re(QStringLiteral("\\+CPINR:\\s*\"?([A-Z0-9 -]+?)\"?\\s*,\\s*(\\d{1,2})"));
    auto it = re.globalMatch(QString::fromLatin1(reply));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1).toLatin1() == code)
            return m.captured(2).toInt();
    }
    return std::nullopt;
}

std::optional<int> cmeCode(const QByteArray &reply)
{
    const qsizetype at = reply.lastIndexOf("+CME ERROR:");
    if (at < 0)
        return std::nullopt;
    return number(Reply::trimmed(Reply::firstLine(reply.mid(at + 11))));
}

QString cmeText(int code)
{
    switch (code) {
    case 3: return QStringLiteral("operation not allowed");
    case 4: return QStringLiteral("operation not supported");
    case 10: return QStringLiteral("SIM not inserted");
    case 11: return QStringLiteral("SIM PIN required");
    case 12: return QStringLiteral("SIM PUK required");
    case 13: return QStringLiteral("SIM failure");
    case 14: return QStringLiteral("SIM busy");
    case 16: return QStringLiteral("incorrect password");
    case 30: return QStringLiteral("no network service");
    }
    return QStringLiteral("error %1").arg(code);
}

Lock lockIn(const QByteArray &reply)
{
    if (const auto word = parseCpin(reply)) {
        if (*word == "SIM PIN")
            return Lock::Pin;
        if (*word == "SIM PUK")
            return Lock::Puk;
        return Lock::None;
    }
    if (const auto code = cmeCode(reply)) {
        if (*code == 11)
            return Lock::Pin;
        if (*code == 12)
            return Lock::Puk;
    }
    return Lock::None;
}

namespace {
std::optional<QByteArray> code(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() < 4 || t.size() > 8)
        return std::nullopt;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return t.toLatin1();
}
} // namespace

std::optional<QByteArray> pinCommand(const QString &pin)
{
    const auto p = code(pin);
    if (!p)
        return std::nullopt;
    return "AT+CPIN=\"" + *p + "\"\r\n";
}

std::optional<QByteArray> pukCommand(const QString &puk, const QString &newPin)
{
    const auto p = code(puk);
    const auto n = code(newPin);
    if (!p || !n)
        return std::nullopt;
    return "AT+CPIN=\"" + *p + "\",\"" + *n + "\"\r\n";
}

} // namespace StatusAt
