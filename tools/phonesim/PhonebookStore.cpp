// SPDX-License-Identifier: GPL-2.0-or-later
#include "PhonebookStore.h"

#include "JsonFields.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

constexpr int kMaxSize = 1000;
constexpr int kMaxLength = 255;

QString loadBook(const QJsonObject &state, const QString &key, PhonebookStore::Book &book)
{
    const QJsonValue v = state.value(key);
    if (v.isUndefined())
        return {};
    const QString bad = QStringLiteral("\"%1\" must be {\"size\": 0..%2, \"numberLength\" and \"nameLength\": 1..%3, "
                                       "\"entries\": [{\"index\", \"number\", \"type\", \"name\"}...]} with "
                                       "indexes within the size")
                            .arg(key)
                            .arg(kMaxSize)
                            .arg(kMaxLength);
    if (!v.isObject())
        return bad;
    const QJsonObject o = v.toObject();
    if (!JsonFields::readInt(o, "size", book.size, 0, kMaxSize).isEmpty()
        || !JsonFields::readInt(o, "numberLength", book.numberLength, 1, kMaxLength).isEmpty()
        || !JsonFields::readInt(o, "nameLength", book.nameLength, 1, kMaxLength).isEmpty())
        return bad;
    const QJsonValue entries = o.value(QLatin1String("entries"));
    if (entries.isUndefined())
        return {};
    if (!entries.isArray())
        return bad;
    book.entries.clear();
    for (const QJsonValue &e : entries.toArray()) {
        const QJsonObject eo = e.toObject();
        const int index = eo.value(QLatin1String("index")).toInt(-1);
        if (!e.isObject() || index < 1 || index > book.size || !eo.value(QLatin1String("number")).isString())
            return bad;
        PhonebookStore::Entry entry;
        entry.number = eo.value(QLatin1String("number")).toString();
        entry.type = eo.value(QLatin1String("type")).toInt(entry.number.startsWith(u'+') ? 145 : 129);
        entry.name = eo.value(QLatin1String("name")).toString();
        book.entries.insert(index, entry);
    }
    return {};
}

QJsonObject saveBook(const PhonebookStore::Book &book)
{
    QJsonArray entries;
    for (auto it = book.entries.begin(); it != book.entries.end(); ++it)
        entries.append(QJsonObject{{QStringLiteral("index"), it.key()},
                                   {QStringLiteral("number"), it->number},
                                   {QStringLiteral("type"), it->type},
                                   {QStringLiteral("name"), it->name}});
    QJsonObject out{{QStringLiteral("size"), book.size}, {QStringLiteral("entries"), entries}};
    // The lengths only when a state gave them, so a dump reads as its state.
    const PhonebookStore::Book usual;
    if (book.numberLength != usual.numberLength)
        out.insert(QStringLiteral("numberLength"), book.numberLength);
    if (book.nameLength != usual.nameLength)
        out.insert(QStringLiteral("nameLength"), book.nameLength);
    return out;
}

// A location number: digits only, no sign, no blanks.
std::optional<int> location(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

} // namespace

PhonebookStore::PhonebookStore()
{
    m_sim.size = 10;
    m_sim.entries.insert(1, {QStringLiteral("46701234567"), 145, QStringLiteral("Anna")});
    m_sim.entries.insert(3, {QStringLiteral("0701112233"), 129, QStringLiteral("Bob")});
    m_phone.size = 20;
    m_phone.entries.insert(1, {QStringLiteral("0812345678"), 129, QStringLiteral("Office")});
}

QStringList PhonebookStore::names() const
{
    if (m_phone.size == 0)
        return {QStringLiteral("SM")};
    return {QStringLiteral("SM"), QStringLiteral("ME")};
}

QStringList PhonebookStore::keys()
{
    return {QStringLiteral("sim"), QStringLiteral("phonebook"), QStringLiteral("storage")};
}

QString PhonebookStore::load(const QJsonObject &state)
{
    if (QString err = loadBook(state, QStringLiteral("sim"), m_sim); !err.isEmpty())
        return err;
    if (QString err = loadBook(state, QStringLiteral("phonebook"), m_phone); !err.isEmpty())
        return err;
    const QJsonValue storage = state.value(QLatin1String("storage"));
    if (!storage.isUndefined()) {
        if (storage.toString() != QLatin1String("SM") && storage.toString() != QLatin1String("ME"))
            return QStringLiteral("\"storage\" must be \"SM\" or \"ME\"");
        m_storage = storage.toString();
    }
    return {};
}

void PhonebookStore::save(QJsonObject &state) const
{
    state.insert(QStringLiteral("sim"), saveBook(m_sim));
    state.insert(QStringLiteral("phonebook"), saveBook(m_phone));
    state.insert(QStringLiteral("storage"), m_storage);
}

std::optional<PhonebookStore::Answer> PhonebookStore::answer(const QString &command)
{
    const QString upper = command.toUpper();
    if (upper == QLatin1String("+CPBS?"))
        return Answer{{QStringLiteral("+CPBS: \"%1\",%2,%3")
                           .arg(m_storage)
                           .arg(selected().entries.size())
                           .arg(selected().size)}};
    if (upper.startsWith(QLatin1String("+CPBS=")) && upper != QLatin1String("+CPBS=?")) {
        const QString name = upper.mid(6).trimmed();
        if ((name != QLatin1String("\"SM\"") && name != QLatin1String("\"ME\""))
            || !names().contains(name.mid(1, 2)))
            return Answer{{}, false};
        m_storage = name.mid(1, 2);
        return Answer{};
    }
    if (upper == QLatin1String("+CPBR=?"))
        return Answer{{QStringLiteral("+CPBR: (1-%1),%2,%3")
                           .arg(selected().size)
                           .arg(selected().numberLength)
                           .arg(selected().nameLength)}};
    if (upper.startsWith(QLatin1String("+CPBR=")))
        return read(command.mid(6));
    if (upper.startsWith(QLatin1String("+CPBW=")))
        return write(command.mid(6));
    return std::nullopt;
}

// "n" or "first,last". Empty locations give no line; a location outside the
// book makes the whole command an ERROR.
PhonebookStore::Answer PhonebookStore::read(const QString &args)
{
    const QStringList parts = args.split(u',');
    const auto first = location(parts.value(0).trimmed());
    const auto last = parts.size() == 2 ? location(parts.at(1).trimmed()) : first;
    const Book &book = selected();
    if (parts.size() > 2 || !first || !last || *first < 1 || *last < *first || *last > book.size)
        return {{}, false};
    Answer a;
    for (int n = *first; n <= *last; ++n) {
        const auto it = book.entries.constFind(n);
        if (it != book.entries.cend())
            a.lines << QStringLiteral("+CPBR: %1,\"%2\",%3,\"%4\"").arg(n).arg(it->number).arg(it->type).arg(it->name);
    }
    return a;
}

// n[,"number"[,type[,"name"]]]: an empty or missing number clears the
// location. The quoted fields end at the next quote, as on the phone.
PhonebookStore::Answer PhonebookStore::write(const QString &args)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([0-9]{1,5})\\s*(?:,\\s*\"([^\"]*)\"\\s*(?:,\\s*([0-9]{1,3})\\s*(?:,\\s*\"([^\"]*)\"\\s*)?)?)?$"));
    const QRegularExpressionMatch m = form.match(args);
    Book &book = selected();
    if (!m.hasMatch())
        return {{}, false};
    const int n = m.captured(1).toInt();
    const QString number = m.captured(2);
    const QString name = m.captured(4);
    if (n < 1 || n > book.size || number.size() > book.numberLength || name.size() > book.nameLength)
        return {{}, false};
    if (number.isEmpty()) {
        book.entries.remove(n);
        return {};
    }
    const int type = m.captured(3).isEmpty() ? (number.startsWith(u'+') ? 145 : 129) : m.captured(3).toInt();
    book.entries.insert(n, {number, type, name});
    return {};
}
