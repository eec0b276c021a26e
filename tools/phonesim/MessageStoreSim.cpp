// SPDX-License-Identifier: GPL-2.0-or-later
#include "MessageStoreSim.h"

#include "JsonFields.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

constexpr int MaxSize = 255;

const char *const DemoCentre = "07916407058099F9";

MessageStoreState::Store demoSim()
{
    // A long message in two parts, a text sender, the extension table.
    MessageStoreState::Store s;
    s.size = 20;
    s.messages.insert(1, {1, QString::fromLatin1(DemoCentre) + QStringLiteral(
        "440B916407214365F70000622160710500409B0500032A0201906950D0ED0E83D065793904A2A2CB20BA3C9C7683D273103B4C"
        "2F83C2E770DACD02CDDFA024E89E66B341E232284C07D1D165D09C1EA6A7DF6E5058FEAEBBC92074986D06C1C3733A689EC683"
        "D2EE39BD1C26BB40C3779D4D06E5DF75103C3D5E83EA7090585E0E9341613719D44EB3D7A0B71B947FD7E5A07B380F42BFDBE5"
        "1F08")});
    s.messages.insert(2, {1, QString::fromLatin1(DemoCentre) + QStringLiteral(
        "440B916407214365F7000062216071055040320500032A0202826E3288FC06B9DF7490F92D3F97E9203ABA0CA2A7C7EB327D0E"
        "32BFE5A069985E9793C37917")});
    s.messages.insert(4, {0, QString::fromLatin1(DemoCentre) + QStringLiteral(
        "0409D0D4323B1D060000622150905100402AD7327BFC6E9741F437885A66A7C32150F65D9783C46176D83D2E83D273500C0603"
        "4D8B4B17")});
    s.messages.insert(7, {0, QString::fromLatin1(DemoCentre) + QStringLiteral(
        "040A81701011223300006221708030004024C3F79C3E07D53665D086F75E6F7CA00D0ABF498136BD0D6503DCBC40E4B7BB0C")});
    return s;
}

MessageStoreState::Store demoPhone()
{
    MessageStoreState::Store s;
    s.size = 20;
    s.messages.insert(1, {3, QStringLiteral("0011000B916407214365F70000AA10D37219947FD741613AA89C3EA3E9")});
    return s;
}

bool isHex(const QString &s)
{
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})+$"));
    return hex.match(s).hasMatch();
}

QString loadStore(const QJsonValue &v, const QString &name, MessageStoreState::Store &store)
{
    const QString bad = QStringLiteral("\"messageStores\".\"%1\" must be {\"size\": 0..%2, \"messages\": "
                                       "[{\"index\", \"status\" 0..3, \"pdu\": hex}...]} within the size")
                            .arg(name)
                            .arg(MaxSize);
    if (!v.isObject())
        return bad;
    const QJsonObject o = v.toObject();
    if (!JsonFields::readInt(o, "size", store.size, 0, MaxSize).isEmpty())
        return bad;
    const QJsonValue list = o.value(QLatin1String("messages"));
    if (list.isUndefined())
        return {};
    if (!list.isArray())
        return bad;
    store.messages.clear();
    for (const QJsonValue &e : list.toArray()) {
        const QJsonObject m = e.toObject();
        const int index = m.value(QLatin1String("index")).toInt(-1);
        const int status = m.value(QLatin1String("status")).toInt(1);
        const QString pdu = m.value(QLatin1String("pdu")).toString();
        // Any text goes as the PDU: a phone may hold what no decoder reads.
        if (!e.isObject() || index < 1 || index > store.size || status < 0 || status > 3
            || !m.value(QLatin1String("pdu")).isString() || pdu.contains(QLatin1Char('\n')))
            return bad;
        store.messages.insert(index, {status, pdu});
    }
    return {};
}

QJsonObject saveStore(const MessageStoreState::Store &store)
{
    QJsonArray list;
    for (auto it = store.messages.begin(); it != store.messages.end(); ++it)
        list.append(QJsonObject{{QStringLiteral("index"), it.key()},
                                {QStringLiteral("status"), it->status},
                                {QStringLiteral("pdu"), it->pdu}});
    return {{QStringLiteral("size"), store.size}, {QStringLiteral("messages"), list}};
}

MessageStoreState::Store &selectedStore(MessageStoreState &s)
{
    return s.selected == QLatin1String("ME") ? s.phone : s.sim;
}

// The PDU as the phone sends it, and the header's length: octets after
// the centre address.
std::pair<QString, int> stored(const MessageStoreState &s, const QString &pdu)
{
    if (!isHex(pdu))
        return {pdu, int(pdu.size() / 2)};
    const int centre = pdu.left(2).toInt(nullptr, 16) + 1;
    const int tpdu = qMax(0, int(pdu.size() / 2) - centre);
    if (s.storedWithoutCentre && pdu.size() >= 2 * centre)
        return {pdu.mid(2 * centre), tpdu};
    return {pdu, tpdu};
}

std::optional<int> storeLocation(const QString &args)
{
    static const QRegularExpression digits(QStringLiteral("^\\s*([0-9]{1,5})\\s*$"));
    const QRegularExpressionMatch m = digits.match(args);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt();
}

QString counts(const MessageStoreState::Store &s)
{
    return QStringLiteral("%1,%2").arg(s.messages.size()).arg(s.size);
}

} // namespace

MessageStoreState::MessageStoreState() : sim(demoSim()), phone(demoPhone()) {}

QStringList MessageStoreState::keys()
{
    return {QStringLiteral("messageStores"), QStringLiteral("messageStorage"), QStringLiteral("cmglRefused"),
            QStringLiteral("emptyLocationError"), QStringLiteral("storedWithoutCentre")};
}

QString MessageStoreState::load(const QJsonObject &o)
{
    for (const QString &k : keys())
        if (o.contains(k))
            given << k;
    const QJsonValue stores = o.value(QLatin1String("messageStores"));
    if (!stores.isUndefined()) {
        if (!stores.isObject())
            return QStringLiteral("\"messageStores\" must be an object with \"SM\" and \"ME\"");
        const QJsonObject so = stores.toObject();
        for (auto it = so.begin(); it != so.end(); ++it) {
            if (it.key() != QLatin1String("SM") && it.key() != QLatin1String("ME"))
                return QStringLiteral("\"messageStores\" holds \"SM\" and \"ME\" only");
            Store &store = it.key() == QLatin1String("ME") ? phone : sim;
            if (const QString e = loadStore(it.value(), it.key(), store); !e.isEmpty())
                return e;
        }
    }
    const QJsonValue sel = o.value(QLatin1String("messageStorage"));
    if (!sel.isUndefined()) {
        if (sel.toString() != QLatin1String("SM") && sel.toString() != QLatin1String("ME"))
            return QStringLiteral("\"messageStorage\" must be \"SM\" or \"ME\"");
        selected = sel.toString();
    }
    for (auto [key, target] : {std::pair{"cmglRefused", &cmglRefused}, std::pair{"emptyLocationError", &emptyLocationError},
                               std::pair{"storedWithoutCentre", &storedWithoutCentre}}) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            continue;
        if (!v.isBool())
            return QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key));
        *target = v.toBool();
    }
    return {};
}

void MessageStoreState::save(QJsonObject &o) const
{
    if (changed || given.contains(QLatin1String("messageStores")))
        o.insert(QStringLiteral("messageStores"),
                 QJsonObject{{QStringLiteral("SM"), saveStore(sim)}, {QStringLiteral("ME"), saveStore(phone)}});
    if (changed || given.contains(QLatin1String("messageStorage")))
        o.insert(QStringLiteral("messageStorage"), selected);
    for (auto [key, value] : {std::pair{"cmglRefused", cmglRefused}, std::pair{"emptyLocationError", emptyLocationError},
                              std::pair{"storedWithoutCentre", storedWithoutCentre}})
        if (value || given.contains(QLatin1String(key)))
            o.insert(QLatin1String(key), value);
}

namespace MessageStoreSim {

std::optional<Answer> answer(MessageStoreState &s, const QString &command)
{
    const QString upper = command.toUpper().trimmed();
    const Answer invalidIndex{{}, Answer::CmsError, 321};
    const bool hasPhone = s.phone.size > 0;

    if (upper == QLatin1String("+CPMS=?")) {
        // In an Ericsson's order: the phone's memory first.
        const QString list = hasPhone ? QStringLiteral("(\"ME\",\"SM\")") : QStringLiteral("(\"SM\")");
        return Answer{{QStringLiteral("+CPMS: %1,%1,%1").arg(list)}};
    }
    if (upper == QLatin1String("+CPMS?")) {
        const QString one = QStringLiteral("\"%1\",%2").arg(s.selected, counts(selectedStore(s)));
        return Answer{{QStringLiteral("+CPMS: %1,%1,%1").arg(one)}};
    }
    if (upper.startsWith(QLatin1String("+CPMS="))) {
        // mem1 decides what is read and deleted; mem2 and mem3 are taken and ignored.
        static const QRegularExpression form(QStringLiteral("^\"(SM|ME)\"(,\"(SM|ME)\"){0,2}$"));
        const QRegularExpressionMatch m = form.match(upper.mid(6).remove(QLatin1Char(' ')));
        if (!m.hasMatch() || (m.captured(1) == QLatin1String("ME") && !hasPhone))
            return Answer{{}, Answer::Error};
        s.selected = m.captured(1);
        s.changed = true;
        const QString c = counts(selectedStore(s));
        return Answer{{QStringLiteral("+CPMS: %1,%1,%1").arg(c)}};
    }

    MessageStoreState::Store &store = selectedStore(s);
    if (upper.startsWith(QLatin1String("+CMGL"))) {
        const QString args = upper.mid(5);
        // PDU mode: a status 0..4 (4 all); "=?" lists them.
        if (args == QLatin1String("=?"))
            return Answer{{QStringLiteral("+CMGL: (0-4)")}};
        const int stat = args.isEmpty() ? 0 : args.startsWith(u'=') ? storeLocation(args.mid(1)).value_or(-1) : -1;
        if (s.cmglRefused || stat < 0 || stat > 4)
            return Answer{{}, Answer::Error};
        Answer a;
        for (auto it = store.messages.begin(); it != store.messages.end(); ++it) {
            if (stat != 4 && it->status != stat)
                continue;
            const auto [pdu, length] = stored(s, it->pdu);
            a.lines << QStringLiteral("+CMGL: %1,%2,,%3").arg(it.key()).arg(it->status).arg(length) << pdu;
            // Listed is read, as on the phone.
            if (it->status == 0) {
                it->status = 1;
                s.changed = true;
            }
        }
        return a;
    }
    if (upper.startsWith(QLatin1String("+CMGR="))) {
        const std::optional<int> n = storeLocation(upper.mid(6));
        if (!n)
            return Answer{{}, Answer::Error};
        if (*n < 1 || *n > store.size)
            return invalidIndex;
        const auto it = store.messages.find(*n);
        if (it == store.messages.end())
            return s.emptyLocationError ? invalidIndex : Answer{};
        const auto [pdu, length] = stored(s, it->pdu);
        Answer a{{QStringLiteral("+CMGR: %1,,%2").arg(it->status).arg(length), pdu}};
        if (it->status == 0) {
            it->status = 1;
            s.changed = true;
        }
        return a;
    }
    if (upper.startsWith(QLatin1String("+CMGD="))) {
        // The location, perhaps followed by a delete flag this phone ignores.
        const std::optional<int> n = storeLocation(upper.mid(6).section(u',', 0, 0));
        if (!n)
            return Answer{{}, Answer::Error};
        if (*n < 1 || *n > store.size)
            return invalidIndex;
        store.messages.remove(*n);
        s.changed = true;
        return Answer{};
    }
    return std::nullopt;
}

} // namespace MessageStoreSim
