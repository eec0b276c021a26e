// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/backup/BackupExport.h"

#include <QJsonArray>

#include "core/backup/RestorePlan.h"
#include "core/messaging/InboxFiles.h"
#include "core/melodies/Rtttl.h"
#include "core/phonebooks/CsvBookFile.h"
#include "core/phonebooks/VCardFile.h"

namespace BackupExport {

using Backup::Section;

QList<Format> formatsOf(Section section)
{
    switch (section) {
    case Section::Sim:
    case Section::PhoneBook:
        return {Format::VCard, Format::BookCsv};
    case Section::Messages:
        return {Format::Mbox, Format::MessagesCsv};
    case Section::Melodies:
        return {Format::Rtttl};
    default:
        return {};
    }
}

QString filter(Format format)
{
    static const char *const names[] = {"vCard (*.vcf)", "CSV (*.csv)", "Mailbox (*.mbox)", "CSV (*.csv)",
                                        "RTTTL (*.txt)"};
    return QLatin1String(names[int(format)]);
}

QString suffix(Format format)
{
    static const char *const suffixes[] = {"vcf", "csv", "mbox", "csv", "txt"};
    return QLatin1String(suffixes[int(format)]);
}

PhonebookEntries entries(const QJsonObject &bookSection)
{
    PhonebookEntries book;
    for (const Backup::Item &item : Backup::items(Backup::Step::Sim, bookSection)) {
        const Backup::BookValue e = Backup::bookEntry(item.value);
        book.set(item.key.toInt(), PhonebookEntry{e.number, e.name});
    }
    return book;
}

QList<InboxMessage> messages(const QJsonObject &messagesSection)
{
    QList<InboxPart> parts;
    for (const QJsonValue &v : messagesSection.value(QLatin1String("messages")).toArray()) {
        const QJsonObject m = v.toObject();
        InboxAt::StoredPdu stored;
        stored.location = m.value(QLatin1String("location")).toInt();
        stored.status = InboxAt::Status(m.value(QLatin1String("status")).toInt(-1));
        stored.length = m.value(QLatin1String("length")).toInt(-1);
        stored.pdu = m.value(QLatin1String("pdu")).toString().toLatin1();
        const auto store = m.value(QLatin1String("store")) == QLatin1String("ME") ? InboxAt::Store::Phone
                                                                                  : InboxAt::Store::Sim;
        parts << inboxPart(store, stored);
    }
    return Inbox::join(parts);
}

QByteArray bytes(Format format, const QJsonObject &section, const QDateTime &now)
{
    switch (format) {
    case Format::VCard:
        return VCardFile::text(entries(section));
    case Format::BookCsv:
        return CsvBookFile::text(entries(section));
    case Format::Mbox:
        return InboxFiles::mbox(messages(section), now);
    case Format::MessagesCsv:
        return InboxFiles::csv(messages(section));
    case Format::Rtttl: {
        QByteArray out;
        const QJsonObject own = section.value(QLatin1String("melodies")).toObject();
        for (auto it = own.begin(); it != own.end(); ++it)
            out += Rtttl::write(QStringLiteral("Melody%1").arg(it.key()), it.value().toString().toLatin1()) + "\r\n";
        return out;
    }
    }
    return {};
}

namespace {
QString count(qsizetype n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}
} // namespace

QString summary(Section section, const QJsonObject &o)
{
    if (!Backup::sectionOk(o))
        return QStringLiteral("failed: %1").arg(o.value(QLatin1String("reason")).toString());
    switch (section) {
    case Section::Phone:
        return QStringLiteral("%1 %2, IMEI %3")
            .arg(o.value(QLatin1String("manufacturer")).toString(), o.value(QLatin1String("model")).toString(),
                 o.value(QLatin1String("imei")).toString());
    case Section::Sim:
    case Section::PhoneBook:
        return count(o.value(QLatin1String("entries")).toArray().size(), "entry", "entries");
    case Section::Messages:
        return count(o.value(QLatin1String("messages")).toArray().size(), "message", "messages");
    case Section::Melodies:
        return count(o.value(QLatin1String("melodies")).toObject().size(), "melody", "melodies") + QStringLiteral(", ")
               + count(o.value(QLatin1String("personalRings")).toArray().size(), "personal ring", "personal rings");
    case Section::Settings:
        return count(o.value(QLatin1String("values")).toObject().size(), "setting", "settings") + QStringLiteral(", ")
               + count(o.value(QLatin1String("forwarding")).toArray().size(), "forwarding", "forwardings");
    case Section::Books:
        return count(o.value(QLatin1String("sms")).toArray().size() + o.value(QLatin1String("icq")).toArray().size(),
                     "record", "records");
    }
    return {};
}

QString title(Section section)
{
    static const char *const titles[] = {"phone", "SIM book", "phone book", "messages", "melodies", "settings", "books"};
    return QLatin1String(titles[int(section)]);
}

} // namespace BackupExport
