// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/backup/BackupFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QSet>
#include <functional>

#include "core/io/BoundedRead.h"

namespace Backup {

namespace {
struct Named {
    Section section;
    const char *key;
};
constexpr Named Sections[] = {
    {Section::Phone, "phone"},       {Section::Sim, "sim"},           {Section::PhoneBook, "phone_book"},
    {Section::Messages, "messages"}, {Section::Melodies, "melodies"}, {Section::Settings, "settings"},
    {Section::Books, "books"},
};

// What a section's members must be; each check returns what is wrong.
using Check = QString (*)(const QJsonObject &);

QString needString(const QJsonObject &o, const char *member, const QString &where)
{
    if (!o.value(QLatin1String(member)).isString())
        return QStringLiteral("%1 has no text \"%2\"").arg(where, QLatin1String(member));
    return {};
}

QString needInt(const QJsonObject &o, const char *member, const QString &where, int low, int high)
{
    const QJsonValue v = o.value(QLatin1String(member));
    const double d = v.toDouble(-1e9);
    if (!v.isDouble() || d != double(qint64(d)) || d < low || d > high)
        return QStringLiteral("%1 has no \"%2\" from %3 to %4").arg(where, QLatin1String(member)).arg(low).arg(high);
    return {};
}

// Every element of array `member` an object that `each` finds sound.
QString eachOf(const QJsonObject &o, const char *member, bool required,
               const std::function<QString(const QJsonObject &, const QString &)> &each)
{
    const QJsonValue v = o.value(QLatin1String(member));
    if (v.isUndefined() && !required)
        return {};
    if (!v.isArray())
        return QStringLiteral("\"%1\" is no list").arg(QLatin1String(member));
    const QJsonArray list = v.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString where = QStringLiteral("%1 entry %2").arg(QLatin1String(member)).arg(i + 1);
        if (!list.at(i).isObject())
            return QStringLiteral("%1 is no object").arg(where);
        if (QString wrong = each(list.at(i).toObject(), where); !wrong.isEmpty())
            return wrong;
    }
    return {};
}

// The first entry of array `member` whose `fields` repeat an earlier one's:
// one location cannot hold two entries.
QString repeated(const QJsonObject &o, const char *member, std::initializer_list<const char *> fields)
{
    QSet<QString> seen;
    const QJsonArray list = o.value(QLatin1String(member)).toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        QStringList id;
        for (const char *f : fields)
            id << list.at(i).toObject().value(QLatin1String(f)).toVariant().toString();
        if (seen.contains(id.join(QLatin1Char(' '))))
            return QStringLiteral("%1 entry %2 repeats %3").arg(QLatin1String(member)).arg(i + 1).arg(id.join(QLatin1Char(' ')));
        seen.insert(id.join(QLatin1Char(' ')));
    }
    return {};
}

// Array `member`: objects with a whole number `id` from low to high and the
// text members `texts`, no id twice.
QString numbered(const QJsonObject &o, const char *member, bool required, const char *id, int low, int high,
                 std::initializer_list<const char *> texts)
{
    const QString wrong = eachOf(o, member, required, [&](const QJsonObject &e, const QString &where) {
        QString w = needInt(e, id, where, low, high);
        for (const char *t : texts)
            if (w.isEmpty())
                w = needString(e, t, where);
        return w;
    });
    return wrong.isEmpty() ? repeated(o, member, {id}) : wrong;
}

bool isHex(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
    return hex.match(text).hasMatch();
}

QString checkBook(const QJsonObject &o)
{
    if (o.contains(QLatin1String("limits")) && !o.value(QLatin1String("limits")).isObject())
        return QStringLiteral("\"limits\" is no object");
    QString wrong = eachOf(o, "entries", true, [](const QJsonObject &e, const QString &where) {
        QString wrong = needInt(e, "location", where, 1, 9999);
        for (const char *m : {"number", "name", "nameHex"})
            if (wrong.isEmpty())
                wrong = needString(e, m, where);
        if (wrong.isEmpty())
            wrong = needInt(e, "type", where, 128, 255);
        if (wrong.isEmpty() && !isHex(e.value(QLatin1String("nameHex")).toString()))
            wrong = QStringLiteral("%1 has a \"nameHex\" that is no hex").arg(where);
        return wrong;
    });
    return wrong.isEmpty() ? repeated(o, "entries", {"location"}) : wrong;
}

QString checkMessages(const QJsonObject &o)
{
    const QString wrong = eachOf(o, "messages", true, [](const QJsonObject &m, const QString &where) {
        QString wrong = needString(m, "store", where);
        if (wrong.isEmpty() && m.value(QLatin1String("store")) != QLatin1String("SM")
            && m.value(QLatin1String("store")) != QLatin1String("ME"))
            wrong = QStringLiteral("%1 has a store other than SM or ME").arg(where);
        if (wrong.isEmpty())
            wrong = needInt(m, "location", where, 1, 9999);
        if (wrong.isEmpty())
            wrong = needString(m, "pdu", where);
        return wrong;
    });
    return wrong.isEmpty() ? repeated(o, "messages", {"store", "location"}) : wrong;
}

QString checkMelodies(const QJsonObject &o)
{
    const QJsonValue own = o.value(QLatin1String("melodies"));
    if (!own.isUndefined()) {
        if (!own.isObject())
            return QStringLiteral("\"melodies\" is no object");
        const QJsonObject stored = own.toObject();
        for (auto it = stored.begin(); it != stored.end(); ++it)
            if (!QStringList{"1", "2", "3", "4"}.contains(it.key()) || !it.value().isString())
                return QStringLiteral("melody \"%1\" is no slot 1 to 4 with a text").arg(it.key());
    }
    return numbered(o, "personalRings", false, "index", 1, 99, {"number", "ring"});
}

QString checkSettings(const QJsonObject &o)
{
    const QJsonValue values = o.value(QLatin1String("values"));
    if (!values.isObject())
        return QStringLiteral("\"values\" is no object");
    const QJsonObject v = values.toObject();
    for (auto it = v.begin(); it != v.end(); ++it)
        if (!it.value().isString())
            return QStringLiteral("setting \"%1\" is no text").arg(it.key());
    if (o.contains(QLatin1String("callWaiting")) && !o.value(QLatin1String("callWaiting")).isBool())
        return QStringLiteral("\"callWaiting\" is neither true nor false");
    const QString wrong = eachOf(o, "forwarding", false, [](const QJsonObject &f, const QString &where) {
        QString wrong;
        for (const char *m : {"reason", "class", "number"})
            if (wrong.isEmpty())
                wrong = needString(f, m, where);
        return wrong;
    });
    return wrong.isEmpty() ? repeated(o, "forwarding", {"reason", "class"}) : wrong;
}

QString checkBooks(const QJsonObject &o)
{
    for (const char *book : {"sms", "icq"})
        if (const QString wrong = numbered(o, book, true, "record", 1, 20, {"number", "name"}); !wrong.isEmpty())
            return wrong;
    return {};
}

QString checkPhone(const QJsonObject &o)
{
    for (const char *m : {"manufacturer", "model", "revision", "imei", "time"})
        if (o.contains(QLatin1String(m)) && !o.value(QLatin1String(m)).isString())
            return QStringLiteral("\"%1\" is no text").arg(QLatin1String(m));
    return {};
}
} // namespace

QList<Section> allSections()
{
    QList<Section> all;
    for (const Named &n : Sections)
        all << n.section;
    return all;
}

QString key(Section section)
{
    for (const Named &n : Sections)
        if (n.section == section)
            return QLatin1String(n.key);
    return {};
}

std::optional<Section> sectionNamed(const QString &name)
{
    for (const Named &n : Sections)
        if (name == QLatin1String(n.key))
            return n.section;
    return std::nullopt;
}

std::optional<QList<Section>> sectionList(const QString &names, QString *error)
{
    QList<Section> named;
    for (const QString &word : names.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto s = sectionNamed(word.trimmed());
        if (!s) {
            QStringList keys;
            for (const Named &n : Sections)
                keys << QLatin1String(n.key);
            *error = QStringLiteral("unknown section \"%1\"; sections: %2").arg(word.trimmed(), keys.join(", "));
            return std::nullopt;
        }
        named << *s;
    }
    if (named.isEmpty()) {
        *error = QStringLiteral("no section named");
        return std::nullopt;
    }
    QList<Section> ordered;
    for (Section s : allSections())
        if (named.contains(s))
            ordered << s;
    return ordered;
}

QJsonObject failedSection(const QString &reason)
{
    return {{"status", "failed"}, {"reason", reason}};
}

bool sectionOk(const QJsonObject &section)
{
    return section.value(QLatin1String("status")) == QLatin1String("ok");
}

QList<Section> Document::present() const
{
    QList<Section> list;
    for (Section s : allSections())
        if (has(s))
            list << s;
    return list;
}

QByteArray checksum(const QJsonObject &withoutChecksum)
{
    return QCryptographicHash::hash(QJsonDocument(withoutChecksum).toJson(QJsonDocument::Compact),
                                    QCryptographicHash::Sha256)
        .toHex();
}

QByteArray serialize(const Document &document)
{
    const QJsonObject body{{"format", FormatName}, {"version", Version}, {"sections", document.sections}};
    QByteArray text = QJsonDocument(body).toJson(QJsonDocument::Indented);
    // The checksum goes last, so a reader of the text finds it at the end.
    const qsizetype close = text.lastIndexOf('}');
    QByteArray before = text.left(close);
    while (before.endsWith('\n') || before.endsWith(' '))
        before.chop(1);
    return before + ",\n    \"sha256\": \"" + checksum(body) + "\"\n}\n";
}

QString checkSection(Section section, const QJsonObject &object)
{
    const QJsonValue status = object.value(QLatin1String("status"));
    if (status == QLatin1String("failed"))
        return object.value(QLatin1String("reason")).isString() ? QString()
                                                                 : QStringLiteral("a failed section without a reason");
    if (status != QLatin1String("ok"))
        return QStringLiteral("\"status\" is neither \"ok\" nor \"failed\"");
    static const Check checks[] = {checkPhone, checkBook, checkBook, checkMessages, checkMelodies, checkSettings,
                                   checkBooks};
    return checks[int(section)](object);
}

QString Opened::warning() const
{
    if (checksumOk && unreadable.isEmpty())
        return {};
    QStringList lines;
    if (!checksumOk) {
        QStringList readable;
        for (Section s : document.present())
            readable << key(s);
        lines << QStringLiteral("The file's checksum does not match its content: it was changed or damaged "
                                "after it was written. Sections that still read: %1.")
                     .arg(readable.isEmpty() ? QStringLiteral("none") : readable.join(", "));
    }
    for (const QString &u : unreadable)
        lines << QStringLiteral("Section %1 does not read and is left out.").arg(u);
    return lines.join(QLatin1Char('\n'));
}

std::optional<Opened> parse(const QByteArray &bytes, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        // Cut short: the text ends inside the document.
        const bool cut = parseError.offset >= bytes.trimmed().size() - 1 && bytes.trimmed().startsWith('{');
        *error = cut ? QStringLiteral("The file ends too early: it was cut short while it was written or copied.")
                     : QStringLiteral("The file is no backup: it is not JSON (%1 at byte %2).")
                           .arg(parseError.errorString())
                           .arg(parseError.offset);
        return std::nullopt;
    }
    if (!json.isObject()) {
        *error = QStringLiteral("The file is no backup: its JSON is not an object.");
        return std::nullopt;
    }
    QJsonObject body = json.object();
    if (body.value(QLatin1String("format")) != QLatin1String(FormatName)) {
        *error = QStringLiteral("The file is no Mirvak backup: its format is not \"%1\".").arg(FormatName);
        return std::nullopt;
    }
    const QJsonValue version = body.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() < 1 || version.toDouble() != double(version.toInt())) {
        *error = QStringLiteral("The backup has no version number this Mirvak understands.");
        return std::nullopt;
    }
    if (version.toInt() > Version) {
        *error = QStringLiteral("The backup was written by a newer Mirvak (format version %1); this one reads "
                                "version %2 and older. Update Mirvak to open it.")
                     .arg(version.toInt())
                     .arg(Version);
        return std::nullopt;
    }
    if (!body.value(QLatin1String("sections")).isObject()) {
        *error = QStringLiteral("The backup holds no sections.");
        return std::nullopt;
    }
    Opened opened;
    const QJsonValue sum = body.take(QLatin1String("sha256"));
    opened.checksumOk = sum.isString() && sum.toString().toLatin1() == checksum(body);
    const QJsonObject sections = body.value(QLatin1String("sections")).toObject();
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        const auto section = sectionNamed(it.key());
        if (!section) {
            opened.unreadable << QStringLiteral("\"%1\" (no section Mirvak knows)").arg(it.key());
            continue;
        }
        const QString wrong = it.value().isObject() ? checkSection(*section, it.value().toObject())
                                                    : QStringLiteral("it is no object");
        if (wrong.isEmpty())
            opened.document.set(*section, it.value().toObject());
        else
            opened.unreadable << QStringLiteral("%1 (%2)").arg(it.key(), wrong);
    }
    return opened;
}

std::optional<Opened> open(const QString &path, QString *error)
{
    QFile file(path);
    const QFileInfo info(path);
    if (info.isFile() && info.size() > MaxFileSize) {
        *error = QStringLiteral("%1 is no backup: at %2 MB it is far larger than any backup of a phone.")
                     .arg(info.fileName())
                     .arg(info.size() / (1024 * 1024));
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(info.fileName(), file.errorString());
        return std::nullopt;
    }
    // Read no further than the limit, in case the file grew since it was measured.
    const QByteArray bytes = BoundedRead::atMost(file, MaxFileSize + 1);
    if (bytes.size() > MaxFileSize) {
        *error = QStringLiteral("%1 is no backup: it is far larger than any backup of a phone.").arg(info.fileName());
        return std::nullopt;
    }
    return parse(bytes, error);
}

} // namespace Backup
