// SPDX-License-Identifier: GPL-2.0-or-later
// The vCard and CSV phonebook code as a command, for the cross-check against
// other programs' libraries (contactfile_crosscheck.py):
//   contactfile_bridge write vcard|csv BOOK.json OUT   rows [{row, number, name}] saved
//   contactfile_bridge read vcard|csv IN              the load as JSON on stdout
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "core/at/Charset.h"
#include "core/phonebooks/ContactFile.h"
#include "core/phonebooks/CsvBookFile.h"
#include "core/phonebooks/VCardFile.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4 || (args[2] != QLatin1String("vcard") && args[2] != QLatin1String("csv"))) {
        std::fprintf(stderr, "usage: contactfile_bridge write|read vcard|csv FILE [OUT]\n");
        return 2;
    }
    const bool vcard = args[2] == QLatin1String("vcard");
    QFile in(args[3]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[3]));
        return 1;
    }
    if (args[1] == QLatin1String("write") && args.size() == 5) {
        PhonebookEntries book(50);
        for (const QJsonValue v : QJsonDocument::fromJson(in.readAll()).array()) {
            const QJsonObject o = v.toObject();
            book.set(o[QLatin1String("row")].toInt(),
                     {toPhoneText(o[QLatin1String("number")].toString()), toPhoneText(o[QLatin1String("name")].toString())});
        }
        QString error;
        const bool ok = vcard ? VCardFile::save(args[4], book, &error) : CsvBookFile::save(args[4], book, &error);
        if (!ok)
            std::fprintf(stderr, "%s\n", qPrintable(error));
        return ok ? 0 : 1;
    }
    const ContactFile::Parsed parsed = vcard ? VCardFile::read(in) : CsvBookFile::read(in);
    const ContactFile::Imported loaded = ContactFile::place(parsed, 50);
    QJsonArray rows;
    for (int r = 1; r <= loaded.rows.count(); ++r)
        if (loaded.rows.at(r) != PhonebookEntry())
            rows.append(QJsonObject{{"row", r},
                                    {"number", fromPhoneText(loaded.rows.at(r).number)},
                                    {"name", fromPhoneText(loaded.rows.at(r).name)}});
    const QJsonObject out{{"known", parsed.known},
                          {"rows", rows},
                          {"read", loaded.read},
                          {"changed", loaded.namesChanged},
                          {"skipped", QJsonArray::fromStringList(loaded.skipped)}};
    std::fputs(QJsonDocument(out).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}
