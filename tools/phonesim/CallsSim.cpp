// SPDX-License-Identifier: GPL-2.0-or-later
#include "CallsSim.h"

#include "JsonFields.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {
constexpr int kMaxSize = 100;
const QStringList kListNames{QStringLiteral("DC"), QStringLiteral("LD"), QStringLiteral("MC"),
                             QStringLiteral("RC"), QStringLiteral("ON"), QStringLiteral("FD"),
                             QStringLiteral("EN")};

QString loadList(const QJsonValue &v, const QString &name, CallsSimState::List &list)
{
    const QString bad = QStringLiteral("\"callLists\".\"%1\" must be {\"size\": 1..%2, \"entries\": [{\"index\", "
                                       "\"number\", \"type\", \"name\", \"time\"}...]}")
                            .arg(name)
                            .arg(kMaxSize);
    if (!v.isObject())
        return bad;
    const QJsonObject o = v.toObject();
    if (!JsonFields::readInt(o, "size", list.size, 1, kMaxSize).isEmpty())
        return bad;
    list.entries.clear();
    for (const QJsonValue &e : o.value(QLatin1String("entries")).toArray()) {
        const QJsonObject eo = e.toObject();
        const int index = eo.value(QLatin1String("index")).toInt(-1);
        if (index < 1 || index > list.size || !eo.value(QLatin1String("number")).isString())
            return bad;
        CallsSimState::Entry entry;
        entry.number = eo.value(QLatin1String("number")).toString();
        entry.type = eo.value(QLatin1String("type")).toInt(entry.number.startsWith(u'+') ? 145 : 129);
        entry.name = eo.value(QLatin1String("name")).toString();
        entry.time = eo.value(QLatin1String("time")).toString();
        list.entries.insert(index, entry);
    }
    return {};
}

bool needsSim(const QString &upper)
{
    for (const char *p : {"+CPB", "+CMG", "+CPMS", "+CSCA", "+COPS", "+CNUM", "D"})
        if (upper.startsWith(QLatin1String(p)))
            return true;
    return false;
}

// The quoted fields of AT+CPIN=..., or nothing when one is not digits.
std::optional<QStringList> codes(const QString &args)
{
    QStringList out;
    for (QString f : args.split(u',')) {
        f = f.trimmed();
        if (f.startsWith(u'"') && f.endsWith(u'"') && f.size() >= 2)
            f = f.mid(1, f.size() - 2);
        static const QRegularExpression digits(QStringLiteral("^[0-9]{4,8}$"));
        if (!digits.match(f).hasMatch())
            return std::nullopt;
        out << f;
    }
    return out;
}

CallsSim::Answer lines(const QStringList &l)
{
    return CallsSim::Answer{l, true, -1};
}
CallsSim::Answer refused()
{
    return CallsSim::Answer{{}, false, -1};
}
CallsSim::Answer cme(int code)
{
    return CallsSim::Answer{{}, false, code};
}

CallsSim::Answer enterCode(CallsSimState &s, const QString &args)
{
    const std::optional<QStringList> given = codes(args);
    if (s.pinState == QLatin1String("READY"))
        return given ? lines({}) : refused();
    if (s.pinState == QLatin1String("SIM PIN")) {
        if (!given || given->size() != 1)
            return refused();
        if (given->first() == s.pin) {
            s.pinState = QStringLiteral("READY");
            s.pinTries = 3;
            return lines({});
        }
        if (--s.pinTries <= 0) {
            s.pinTries = 0;
            s.pinState = QStringLiteral("SIM PUK");
        }
        return cme(16);
    }
    // SIM PUK: the PUK and a new PIN.
    if (!given || given->size() != 2 || s.pukTries <= 0)
        return s.pukTries <= 0 ? cme(13) : refused();
    if (given->first() == s.puk) {
        s.pin = given->at(1);
        s.pinState = QStringLiteral("READY");
        s.pinTries = 3;
        s.pukTries = 10;
        return lines({});
    }
    --s.pukTries;
    return cme(16);
}

CallsSim::Answer book(CallsSimState &s, const QString &command, const QString &upper)
{
    const CallsSimState::List &list = s.lists[s.selected];
    if (upper == QLatin1String("+CPBS?")) {
        if (s.cpbsNoCounts)
            return lines({QStringLiteral("+CPBS: \"%1\"").arg(s.selected)});
        return lines({QStringLiteral("+CPBS: \"%1\",%2,%3").arg(s.selected).arg(list.entries.size()).arg(list.size)});
    }
    if (upper == QLatin1String("+CPBR=?"))
        return lines({QStringLiteral("+CPBR: (1-%1),40,18").arg(list.size)});
    if (upper.startsWith(QLatin1String("+CPBR="))) {
        static const QRegularExpression range(QStringLiteral("^\\s*([0-9]{1,3})\\s*(?:,\\s*([0-9]{1,3})\\s*)?$"));
        const QRegularExpressionMatch m = range.match(command.mid(6));
        const int first = m.captured(1).toInt();
        const int last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
        if (!m.hasMatch() || first < 1 || last < first || last > list.size)
            return refused();
        QStringList out;
        for (auto it = list.entries.lowerBound(first); it != list.entries.end() && it.key() <= last; ++it) {
            QString l = QStringLiteral("+CPBR: %1,\"%2\",%3,\"%4\"").arg(it.key()).arg(it->number).arg(it->type).arg(it->name);
            if (!it->time.isEmpty())
                l += QStringLiteral(",\"%1\"").arg(it->time);
            out << l;
        }
        if (out.isEmpty() && s.cme255Empty)
            return cme(255);
        return lines(out);
    }
    // +CPBW and anything else: call lists are the phone's own.
    return refused();
}
} // namespace

CallsSimState::CallsSimState()
{
    lists[QStringLiteral("DC")].entries.insert(1, {QStringLiteral("+46701234567"), 145, {}, QStringLiteral("05/06/07,12:34:56")});
    lists[QStringLiteral("DC")].entries.insert(2, {QStringLiteral("0812345678"), 129, {}, {}});
    lists[QStringLiteral("MC")].entries.insert(1, {QStringLiteral("0701112233"), 129, {}, QStringLiteral("05/06/08,08:00:00")});
    lists[QStringLiteral("RC")].entries.insert(1, {QStringLiteral("+46709876543"), 145, {}, {}});
}

QStringList CallsSimState::keys()
{
    return {QStringLiteral("callLists"), QStringLiteral("csq"), QStringLiteral("creg"), QStringLiteral("cbcRefused"),
            QStringLiteral("pin"), QStringLiteral("athRefused"), QStringLiteral("calling"), QStringLiteral("quirks")};
}

QString CallsSimState::load(const QJsonObject &o)
{
    for (const QString &k : keys())
        if (o.contains(k))
            given << k;
    QString err;
    auto take = [&err](const QString &e) { if (err.isEmpty()) err = e; };
    const QJsonValue cl = o.value(QLatin1String("callLists"));
    if (cl.isObject()) {
        const QJsonObject lo = cl.toObject();
        take(JsonFields::readString(lo, "dialledBook", dialledBook));
        if (dialledBook != QLatin1String("DC") && dialledBook != QLatin1String("LD"))
            take(QStringLiteral("\"callLists\".\"dialledBook\" must be \"DC\" or \"LD\""));
        for (auto it = lo.begin(); it != lo.end(); ++it) {
            if (it.key() == QLatin1String("dialledBook"))
                continue;
            if (!kListNames.contains(it.key())) {
                take(QStringLiteral("\"callLists\" knows no list \"%1\"").arg(it.key()));
                continue;
            }
            take(loadList(it.value(), it.key(), lists[it.key()]));
        }
        // The dialled calls live under the name the phone uses.
        const QString other = dialledBook == QLatin1String("DC") ? QStringLiteral("LD") : QStringLiteral("DC");
        if (lists.contains(other) && !lo.contains(dialledBook))
            lists[dialledBook] = lists.take(other);
        lists.remove(other);
    } else if (!cl.isUndefined()) {
        take(QStringLiteral("\"callLists\" must be an object"));
    }
    take(JsonFields::readInt(o, "csq", rssi, 0, 99));
    take(JsonFields::readInt(o, "creg", creg, 0, 5));
    take(JsonFields::readBool(o, "cbcRefused", cbcRefused));
    take(JsonFields::readBool(o, "athRefused", athRefused));
    take(JsonFields::readString(o, "calling", calling));
    const QJsonObject p = o.value(QLatin1String("pin")).toObject();
    take(JsonFields::readString(p, "state", pinState));
    take(JsonFields::readString(p, "pin", pin));
    take(JsonFields::readString(p, "puk", puk));
    take(JsonFields::readInt(p, "pinTries", pinTries, 0, 3));
    take(JsonFields::readInt(p, "pukTries", pukTries, 0, 10));
    take(JsonFields::readBool(p, "triesReported", triesReported));
    if (!QStringList{QStringLiteral("READY"), QStringLiteral("SIM PIN"), QStringLiteral("SIM PUK")}.contains(pinState))
        take(QStringLiteral("\"pin\".\"state\" must be \"READY\", \"SIM PIN\" or \"SIM PUK\""));
    const QJsonObject q = o.value(QLatin1String("quirks")).toObject();
    take(JsonFields::readBool(q, "cme255Empty", cme255Empty));
    take(JsonFields::readBool(q, "cpbsNoCounts", cpbsNoCounts));
    take(JsonFields::readInt(q, "nulAfterReply", nulAfterReply, 0, 64));
    return err;
}

void CallsSimState::save(QJsonObject &o) const
{
    const QJsonObject mine = all(), defaults = CallsSimState().all();
    for (auto it = mine.begin(); it != mine.end(); ++it)
        if (given.contains(it.key()) || defaults.value(it.key()) != it.value())
            o.insert(it.key(), it.value());
}

QJsonObject CallsSimState::all() const
{
    QJsonObject o;
    QJsonObject cl{{QStringLiteral("dialledBook"), dialledBook}};
    for (auto it = lists.begin(); it != lists.end(); ++it) {
        QJsonArray entries;
        for (auto e = it->entries.begin(); e != it->entries.end(); ++e)
            entries.append(QJsonObject{{QStringLiteral("index"), e.key()}, {QStringLiteral("number"), e->number},
                                       {QStringLiteral("type"), e->type}, {QStringLiteral("name"), e->name},
                                       {QStringLiteral("time"), e->time}});
        cl.insert(it.key(), QJsonObject{{QStringLiteral("size"), it->size}, {QStringLiteral("entries"), entries}});
    }
    o.insert(QStringLiteral("callLists"), cl);
    o.insert(QStringLiteral("csq"), rssi);
    o.insert(QStringLiteral("creg"), creg);
    o.insert(QStringLiteral("cbcRefused"), cbcRefused);
    o.insert(QStringLiteral("athRefused"), athRefused);
    o.insert(QStringLiteral("calling"), calling);
    o.insert(QStringLiteral("pin"), QJsonObject{{QStringLiteral("state"), pinState}, {QStringLiteral("pin"), pin},
                                                {QStringLiteral("puk"), puk}, {QStringLiteral("pinTries"), pinTries},
                                                {QStringLiteral("pukTries"), pukTries},
                                                {QStringLiteral("triesReported"), triesReported}});
    o.insert(QStringLiteral("quirks"), QJsonObject{{QStringLiteral("cme255Empty"), cme255Empty},
                                                   {QStringLiteral("cpbsNoCounts"), cpbsNoCounts},
                                                   {QStringLiteral("nulAfterReply"), nulAfterReply}});
    return o;
}

std::optional<CallsSim::Answer> CallsSim::answer(CallsSimState &s, const QString &command)
{
    const QString upper = command.toUpper().trimmed();
    if (upper == QLatin1String("+CPIN?"))
        return lines({QStringLiteral("+CPIN: %1").arg(s.pinState)});
    if (upper.startsWith(QLatin1String("+CPIN=")))
        return enterCode(s, command.trimmed().mid(6));
    if (upper.startsWith(QLatin1String("+CPINR"))) {
        if (!s.triesReported)
            return refused();
        return lines({QStringLiteral("+CPINR: SIM PIN,%1,3").arg(s.pinTries),
                      QStringLiteral("+CPINR: SIM PUK,%1,10").arg(s.pukTries)});
    }
    if (s.pinState != QLatin1String("READY") && needsSim(upper))
        return cme(s.pinState == QLatin1String("SIM PIN") ? 11 : 12);
    if (upper == QLatin1String("+CSQ"))
        return lines({QStringLiteral("+CSQ: %1,99").arg(s.rssi)});
    if (upper == QLatin1String("+CREG?"))
        return lines({QStringLiteral("+CREG: 0,%1").arg(s.creg)});
    if (upper == QLatin1String("+CBC") && s.cbcRefused)
        return refused();
    if (upper.startsWith(QLatin1String("D"))) {
        static const QRegularExpression dial(QStringLiteral("^D([+]?[0-9*#PW]{1,40});$"));
        const QRegularExpressionMatch m = dial.match(upper);
        if (!m.hasMatch() || !s.calling.isEmpty())
            return refused();
        s.calling = m.captured(1);
        return lines({});
    }
    if (upper == QLatin1String("H") || upper == QLatin1String("H0")) {
        if (s.athRefused)
            return refused();
        s.calling.clear();
        return lines({});
    }
    if (upper == QLatin1String("+CHUP")) {
        s.calling.clear();
        return lines({});
    }
    if (upper.startsWith(QLatin1String("+CPBS=")) && upper != QLatin1String("+CPBS=?")) {
        const QString name = upper.mid(6).trimmed().remove(u'"');
        if (s.lists.contains(name)) {
            s.selected = name;
            return lines({});
        }
        // SM, ME and anything unknown go to the phonebooks.
        s.selected.clear();
        return std::nullopt;
    }
    if (upper.startsWith(QLatin1String("+CPB")) && !s.selected.isEmpty())
        return book(s, command.trimmed(), upper);
    return std::nullopt;
}

QString CallsSim::bookList(const CallsSimState &s, const QStringList &phonebooks)
{
    QStringList books;
    for (const char *name : {"FD", "EN", "SM", "ME", "DC", "RC", "MC", "LD", "ON"}) {
        const QString n = QLatin1String(name);
        if (phonebooks.contains(n) || s.lists.contains(n))
            books << QStringLiteral("\"%1\"").arg(n);
    }
    return QStringLiteral("+CPBS: (%1)").arg(books.join(u','));
}
