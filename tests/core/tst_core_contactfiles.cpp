// SPDX-License-Identifier: GPL-2.0-or-later
// vCard and CSV phonebooks: what address-book programs write, loaded into
// the rows of a book as the phone can hold them; what we write, read back.
#include <QtTest>

#include "core/at/Charset.h"
#include "core/phonebooks/ContactFile.h"
#include "core/phonebooks/CsvBookFile.h"
#include "core/phonebooks/VCardFile.h"

namespace {
// The filled rows of a book as "row|number|name".
QStringList filled(const PhonebookEntries &rows)
{
    QStringList out;
    for (int r = 1; r <= rows.count(); ++r)
        if (rows.at(r) != PhonebookEntry())
            out << QStringLiteral("%1|%2|%3").arg(r).arg(fromPhoneText(rows.at(r).number), fromPhoneText(rows.at(r).name));
    return out;
}

enum class Format { VCard, Csv };

ContactFile::Parsed parse(Format f, const QByteArray &bytes)
{
    return f == Format::VCard ? VCardFile::read(bytes) : CsvBookFile::read(bytes);
}
} // namespace

class TestCoreContactFiles : public QObject {
    Q_OBJECT
private slots:
    void spelling_data();
    void spelling();
    void load_data();
    void load();
    void placing();
    void utf16Files();
    void bookLimits();
    void vcardWritten();
    void roundTrips();
    void unknownAndHostileFiles();
};

void TestCoreContactFiles::spelling_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("spelled");
    QTest::newRow("Latin-1 kept") << QStringLiteral("Åsa Müller ß") << QStringLiteral("Åsa Müller ß");
    QTest::newRow("stroke letters") << QStringLiteral("Łódź Đorđe") << QStringLiteral("Lódz Dorde");
    QTest::newRow("accents Latin-1 lacks") << QStringLiteral("Čapek Řehoř") << QStringLiteral("Capek Rehor");
    QTest::newRow("euro and ligatures") << QStringLiteral("5€ ﬁn Œuvre") << QStringLiteral("5EUR fin OEuvre");
    QTest::newRow("decomposed ring composed") << QStringLiteral("A\u030Asa") << QStringLiteral("Åsa");
    QTest::newRow("typographic signs") << QStringLiteral("“Jo’s”–x…") << QStringLiteral("\"Jo's\"-x...");
    QTest::newRow("no spelling") << QStringLiteral("Жан \U0001F600") << QStringLiteral("??? ?");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QStringLiteral("?");
}

void TestCoreContactFiles::spelling()
{
    QFETCH(QString, in);
    QFETCH(QString, spelled);
    QCOMPARE(spelledForPhone(in), spelled);
    QCOMPARE(toPhoneText(spelledForPhone(in)).size(), spelled.size());
}

void TestCoreContactFiles::load_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("changed");
    QTest::addColumn<QStringList>("skipped");

    const int V = int(Format::VCard), C = int(Format::Csv);
    QTest::newRow("2.1 quoted-printable UTF-8, folded")
        << V
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\n"
                      "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;=C3=85sa;;;\r\n"
                      "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=85sa M=\r\n=C3=BCller\r\n"
                      "TEL;CELL;VOICE:+46 70-123 45 67\r\n"
                      "NOTE;ENCODING=QUOTED-PRINTABLE:line one=0D=0A=\r\nline two\r\n"
                      "ADR;HOME:;;Long\r\n  street;Town\r\nEND:VCARD\r\n")
        << QStringList{QStringLiteral("1|+46701234567|Åsa Müller")} << 0 << QStringList();
    QTest::newRow("2.1 N only, Latin-1 bytes, bare QP")
        << V
        << QByteArray("BEGIN:VCARD\nVERSION:2.1\nN;QUOTED-PRINTABLE:Sj=F6berg;Kalle\nTEL;HOME:08-123\nEND:VCARD\n")
        << QStringList{QStringLiteral("1|08123|Kalle Sjöberg")} << 0 << QStringList();
    QTest::newRow("4.0 tel URI, quoted type list, group")
        << V
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bo Ek\r\n"
                      "item1.TEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+1-555-555-0100;ext=12\r\n"
                      "END:VCARD\r\n")
        << QStringList{QStringLiteral("1|+15555550100|Bo Ek")} << 0 << QStringList();
    QTest::newRow("several numbers, suffixes, name cut to fit")
        << V
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bartholomew Longname\r\n"
                      "TEL;TYPE=CELL:0701\r\nTEL;TYPE=HOME:0802\r\nTEL;TYPE=WORK,VOICE:0903\r\n"
                      "TEL;TYPE=FAX:0104\r\nTEL:n/a\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jo\\, Jr.\r\nTEL:1\r\nTEL;type=pref;type=cell:2\r\nEND:VCARD\r\n")
        << QStringList{QStringLiteral("1|0701|Bartholomew Long/M"), QStringLiteral("2|0802|Bartholomew Long/H"),
                       QStringLiteral("3|0903|Bartholomew Long/W"), QStringLiteral("4|0104|Bartholomew Long/O"),
                       QStringLiteral("5|1|Jo, Jr./O"), QStringLiteral("6|2|Jo, Jr./M")}
        << 4 << QStringList{QStringLiteral("line 1: \"Bartholomew Longname\": \"n/a\" is no phone number")};
    QTest::newRow("ORG when no name, BOM, kept rows, skipped cards")
        << V
        << QByteArray("\xEF\xBB\xBF" "BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Pizza Ltd;Sales\r\nTEL:555\r\n"
                      "X-MIRVAK-LOCATION:7\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\r\nFN:Mail Only\r\nEMAIL:a@b\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\r\nbroken line\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\r\nFN:Łukasz\r\nTEL:666\r\n")
        << QStringList{QStringLiteral("1|666|Lukasz"), QStringLiteral("7|555|Pizza Ltd")} << 1
        << QStringList{QStringLiteral("line 12: no vCard property"), QStringLiteral("line 11: a card without a name or number"),
                       QStringLiteral("line 7: \"Mail Only\" has no phone number")};

    QTest::newRow("our CSV, quoted fields")
        << C
        << QByteArray("Location,Name,Number\r\n3,\"Smith, \"\"Jo\"\"\",+4670\r\n9,Ann,\r\n12,,555\r\n")
        << QStringList{QStringLiteral("3|+4670|Smith, Jo"), QStringLiteral("9||Ann"), QStringLiteral("12|555|")}
        << 1 << QStringList();
    QTest::newRow("Google, labels, ::: and a quoted line end")
        << C
        << QByteArray("\xEF\xBB\xBFName,Given Name,Additional Name,Family Name,Phonetic First Name,Notes,"
                      "Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value\r\n"
                      "Åsa Müller,Åsa,,Müller,,\"two\r\nlines\",* Mobile,+46 70 111 ::: +46 70 222,Work,08-333\r\n"
                      ",Per,,Ek,pear,,Home,040 11\r\n"
                      "Nobody,,,,,,,,,\r\n")
        << QStringList{QStringLiteral("1|+4670111|Åsa Müller/M"), QStringLiteral("2|+4670222|Åsa Müller/M"),
                       QStringLiteral("3|08333|Åsa Müller/W"), QStringLiteral("4|04011|Per Ek")}
        << 0 << QStringList{QStringLiteral("line 5: \"Nobody\" has no phone number")};
    QTest::newRow("Thunderbird")
        << C
        << QByteArray("First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Screen Name,"
                      "Work Phone,Home Phone,Fax Number,Pager Number,Mobile Number,Home Address\r\n"
                      "Anna,Berg,Anna B,,a@b,,,031-1,031-2,031-3,031-4,0705,\r\n"
                      "Kim,Lee,,,,,,,,,,0706,\r\n")
        << QStringList{QStringLiteral("1|0311|Anna B/W"), QStringLiteral("2|0312|Anna B/H"),
                       QStringLiteral("3|0313|Anna B/O"), QStringLiteral("4|0314|Anna B/O"),
                       QStringLiteral("5|0705|Anna B/M"), QStringLiteral("6|0706|Kim Lee")}
        << 0 << QStringList();
    QTest::newRow("Outlook with semicolons")
        << C
        << QByteArray("\"Title\";\"First Name\";\"Middle Name\";\"Last Name\";\"Business Fax\";\"Business Phone\";"
                      "\"Home Phone\";\"Mobile Phone\";\"Company\"\r\n"
                      "\"\";\"\";\"\";\"\";\"1\";\"2\";\"\";\"\";\"ACME\"\r\n")
        << QStringList{QStringLiteral("1|1|ACME/O"), QStringLiteral("2|2|ACME/W")} << 0 << QStringList();
    QTest::newRow("iOS: CR CR LF line ends, folded number")
        << V
        << QByteArray("BEGIN:VCARD\r\r\nVERSION:3.0\r\r\nPRODID:-//Apple Inc.//iPhone OS 6.1//EN\r\r\n"
                      "N:Bell;Kate;;;\r\r\nFN:Kate Bell\r\r\nitem1.TEL;type=CELL;type=VOICE;type=pref:650555\r\r\n"
                      " 1212\r\r\nitem1.X-ABLabel:_$!<Mobile>!$_\r\r\nEND:VCARD\r\r\n")
        << QStringList{QStringLiteral("1|6505551212|Kate Bell")} << 0 << QStringList();
    QTest::newRow("2.1 card nested as AGENT: both keep their numbers")
        << V
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Boss;Big\r\nTEL;WORK:111\r\nAGENT:\r\n"
                      "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Aide;Al\r\nTEL;CELL:222\r\nEND:VCARD\r\n"
                      "TEL;HOME:333\r\nTEL;PAGER:444\r\nEND:VCARD\r\n")
        << QStringList{QStringLiteral("1|222|Al Aide"), QStringLiteral("2|111|Big Boss/W"),
                       QStringLiteral("3|333|Big Boss/H"), QStringLiteral("4|444|Big Boss/O")}
        << 0 << QStringList();
    QTest::newRow("words, addresses and pauses are no numbers")
        << V
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Say \xE2\x80\x9CHi\xE2\x80\x9D\r\nTEL:BusinessPhone\r\nTEL:Tel privat\r\n"
                      "TEL:sip:123@voip.example\r\nTEL:ann@example.com\r\nTEL:phone work\r\nTEL:0701 (phone)\r\n"
                      "TEL:P 555w1\r\nEND:VCARD\r\n")
        << QStringList{QStringLiteral("1|0701|Say Hi/O"), QStringLiteral("2|555w1|Say Hi/O")} << 2
        << QStringList{QStringLiteral("line 1: \"Say “Hi”\": \"BusinessPhone\" is no phone number"),
                       QStringLiteral("line 1: \"Say “Hi”\": \"Tel privat\" is no phone number"),
                       QStringLiteral("line 1: \"Say “Hi”\": \"sip:123@voip.example\" is no phone number"),
                       QStringLiteral("line 1: \"Say “Hi”\": \"ann@example.com\" is no phone number"),
                       QStringLiteral("line 1: \"Say “Hi”\": \"phone work\" is no phone number")};
    QTest::newRow("CSV: Phone Number, Google fax label, Outlook pager")
        << C
        << QByteArray("Name,Phone Number,Phone 1 - Type,Phone 1 - Value,Pager,Home Fax\r\n"
                      "Ann,0701,Work Fax,0702,0703,0704\r\n")
        << QStringList{QStringLiteral("1|0701|Ann/O"), QStringLiteral("2|0702|Ann/O"), QStringLiteral("3|0703|Ann/O"),
                       QStringLiteral("4|0704|Ann/O")}
        << 0 << QStringList();
    QTest::newRow("CSV quote never closed")
        << C << QByteArray("Name,Number\n\"Ann,1\nBob,2\n") << QStringList{QStringLiteral("1|2|Bob")} << 0
        << QStringList{QStringLiteral("line 2: a quote that is never closed")};
}

void TestCoreContactFiles::load()
{
    QFETCH(int, format);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    QFETCH(int, changed);
    QFETCH(QStringList, skipped);
    const ContactFile::Parsed parsed = parse(Format(format), file);
    QVERIFY(parsed.known);
    const ContactFile::Imported in = ContactFile::place(parsed, 50);
    QCOMPARE(filled(in.rows), rows);
    QCOMPARE(in.read, rows.size());
    QCOMPARE(in.namesChanged, changed);
    QCOMPARE(in.skipped, skipped);
    QCOMPARE(in.rows.count(), 50);
    QVERIFY(!in.grew);
}

// Kept rows win over first-free rows, a taken or unknown row falls back to
// the first free one, the book grows for a far kept row and stops at 400.
void TestCoreContactFiles::placing()
{
    ContactFile::Parsed p;
    p.known = true;
    p.contacts = {{1, QStringLiteral("Free"), {{QStringLiteral("1"), ContactFile::Kind::Other}}, 0},
                  {2, QStringLiteral("Two"), {{QStringLiteral("2"), ContactFile::Kind::Other}}, 2},
                  {3, QStringLiteral("Again2"), {{QStringLiteral("3"), ContactFile::Kind::Other}}, 2},
                  {4, QStringLiteral("Far"), {{QStringLiteral("4"), ContactFile::Kind::Other}}, 120}};
    ContactFile::Imported in = ContactFile::place(p, 50);
    QCOMPARE(filled(in.rows), (QStringList{QStringLiteral("1|1|Free"), QStringLiteral("2|2|Two"),
                                           QStringLiteral("3|3|Again2"), QStringLiteral("120|4|Far")}));
    QVERIFY(in.grew);
    QCOMPARE(in.rows.count(), 120);

    p.contacts.clear();
    for (int k = 0; k < ContactFile::MaxRows + 3; ++k)
        p.contacts.append({k + 1, QStringLiteral("N"), {{QString::number(k), ContactFile::Kind::Other}}, 0});
    in = ContactFile::place(p, 50);
    QCOMPARE(in.read, ContactFile::MaxRows);
    QCOMPARE(in.rows.count(), ContactFile::MaxRows);
    QCOMPARE(in.skipped.size(), 3);
    QCOMPARE(in.skipped.constFirst(), QStringLiteral("line 401: \"N\": the book holds no more than 400 entries"));
    const QString text = ContactFile::report(in, QStringLiteral("x.vcf"));
    QVERIFY2(text.startsWith(QStringLiteral("400 entries read from x.vcf.\n\nSkipped:\nline 401")), qPrintable(text));
}

// What other programs write in UTF-16, with a byte-order mark or without,
// reads as their UTF-8 does.
void TestCoreContactFiles::utf16Files()
{
    const QString card = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Åsa Łukasz\r\nTEL;TYPE=FAX:0701\r\nEND:VCARD\r\n");
    const QString csv = QStringLiteral("Name,Business Fax\r\nÅsa Łukasz,0701\r\n");
    for (const auto order : {QSysInfo::LittleEndian, QSysInfo::BigEndian})
        for (const bool bom : {true, false})
            for (const Format f : {Format::VCard, Format::Csv}) {
                QString text = f == Format::VCard ? card : csv;
                if (bom)
                    text.prepend(QChar::ByteOrderMark);
                QByteArray bytes;
                for (const QChar c : text) {
                    const char low = char(c.cell()), high = char(c.row());
                    bytes.append(order == QSysInfo::LittleEndian ? low : high);
                    bytes.append(order == QSysInfo::LittleEndian ? high : low);
                }
                const ContactFile::Imported in = ContactFile::place(parse(f, bytes), 5);
                QCOMPARE(filled(in.rows), QStringList{QStringLiteral("1|0701|Åsa Lukasz")});
                QCOMPARE(in.faxOrPager, 1);
                QVERIFY(ContactFile::report(in, QStringLiteral("x")).contains(
                    QStringLiteral("1 fax or pager number was read as an \"/O\" entry.")));
            }
}

// A book that states its lengths: names cut to its length, a number longer
// than it takes skipped and named, nothing past its last location.
void TestCoreContactFiles::bookLimits()
{
    const QByteArray file("Name,Mobile Phone\r\nBartholomew Longname,0701\r\nLong Number,0123456789\r\n"
                          "Cid,0703\r\nDee,0704\r\n");
    const ContactFile::Imported in =
        ContactFile::place(CsvBookFile::read(file), 0, PhonebookAt::Limits{2, 8, 14});
    QCOMPARE(filled(in.rows), (QStringList{QStringLiteral("1|0701|Bartholomew Lo"), QStringLiteral("2|0703|Cid")}));
    QCOMPARE(in.namesChanged, 1);
    QCOMPARE(in.skipped, (QStringList{QStringLiteral("line 3: \"Long Number\": \"0123456789\" is longer than the 8 "
                                                     "digits the book takes"),
                                      QStringLiteral("line 5: \"Dee\": the book holds no more than 2 entries")}));
}

void TestCoreContactFiles::vcardWritten()
{
    PhonebookEntries book(5);
    book.set(2, {" +46701234567 ", toPhoneText(QStringLiteral("Åsa; Müller/H"))});
    book.set(4, {"0812", ""});
    book.set(5, {"", QByteArray(80, 'x')});
    const QByteArray x75 = "FN:" + QByteArray(72, 'x');
    QCOMPARE(VCardFile::text(book),
             QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xC3\x85sa\\; M\xC3\xBCller/H\r\n"
                        "N:\xC3\x85sa\\; M\xC3\xBCller/H;;;;\r\nTEL;TYPE=HOME,VOICE:+46701234567\r\n"
                        "X-MIRVAK-LOCATION:2\r\nEND:VCARD\r\n"
                        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:0812\r\nN:;;;;\r\nTEL;TYPE=CELL:0812\r\n"
                        "X-MIRVAK-LOCATION:4\r\nEND:VCARD\r\n"
                        "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                        + x75 + "\r\n xxxxxxxx\r\nN:" + QByteArray(73, 'x') + "\r\n xxxxxxx;;;;\r\n"
                        "X-MIRVAK-LOCATION:5\r\nEND:VCARD\r\n"));
    // A fold never splits a UTF-8 sequence.
    PhonebookEntries wide(1);
    wide.set(1, {"1", QByteArray(60, '\xE5')});
    for (const QByteArray &line : VCardFile::text(wide).split('\n'))
        QVERIFY(line.size() <= 76 && !line.startsWith(" \xA5"));
    QCOMPARE(CsvBookFile::text(book), QByteArray("Location,Name,Number\r\n2,\"\xC3\x85sa; M\xC3\xBCller/H\",+46701234567\r\n"
                                                 "4,,0812\r\n5," + QByteArray(80, 'x') + ",\r\n"));
}

// What we write loads back into the same rows, both formats; names the
// phone holds already are not counted as changed.
void TestCoreContactFiles::roundTrips()
{
    PhonebookEntries book(60);
    book.set(1, {"+46701234567", "Anna"});
    book.set(3, {"*100#", toPhoneText(QStringLiteral("Åsa, 'Ö'; \\x"))});
    book.set(9, {"0812p34", ""});
    book.set(44, {"", "Name only"});
    book.set(60, {"5", "Last"});
    for (const Format f : {Format::VCard, Format::Csv}) {
        const QByteArray written = f == Format::VCard ? VCardFile::text(book) : CsvBookFile::text(book);
        const ContactFile::Imported in = ContactFile::place(parse(f, written), 50);
        QCOMPARE(in.rows, book);
        QCOMPARE(in.read, 5);
        QCOMPARE(in.namesChanged, 0);
        QVERIFY(in.skipped.isEmpty());
    }
}

void TestCoreContactFiles::unknownAndHostileFiles()
{
    for (const Format f : {Format::VCard, Format::Csv}) {
        const ContactFile::Parsed empty = parse(f, QByteArray());
        QVERIFY(!empty.known && !empty.problem.isEmpty());
        const ContactFile::Parsed binary = parse(f, QByteArray("\x00\x01\xFF\xFE\x89PNG\r\n\x1A\n", 12).repeated(2000));
        QVERIFY(!binary.known && binary.contacts.isEmpty());
    }
    // A line far past the bound is cut, not held whole; a card named in
    // it is skipped, and the cards around it load.
    const QByteArray huge = "BEGIN:VCARD\r\nFN:A\r\nTEL:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:"
                            + QByteArray(ContactFile::MaxLine * 8, 'y') + "\r\nTEL:2\r\nEND:VCARD\r\n"
                            + "BEGIN:VCARD\r\nFN:C\r\nTEL:3\r\nEND:VCARD\r\n";
    const ContactFile::Imported in = ContactFile::place(VCardFile::read(huge), 50);
    QCOMPARE(filled(in.rows), (QStringList{QStringLiteral("1|1|A"), QStringLiteral("2|2|"), QStringLiteral("3|3|C")}));
    QCOMPARE(in.skipped, QStringList{QStringLiteral("line 6: FN too long")});
    const QByteArray longCsv = "Name,Number\r\nA,1\r\n" + QByteArray(ContactFile::MaxLine + 10, 'z') + ",2\r\nC,3\r\n";
    const ContactFile::Imported csv = ContactFile::place(CsvBookFile::read(longCsv), 50);
    QCOMPARE(filled(csv.rows), (QStringList{QStringLiteral("1|1|A"), QStringLiteral("2|3|C")}));
    QCOMPARE(csv.skipped, QStringList{QStringLiteral("line 3: a line too long")});

    // Skipped lines past the named ones are counted.
    QByteArray many = "BEGIN:VCARD\r\n";
    for (int k = 0; k < 30; ++k)
        many += "junk\r\n";
    const ContactFile::Parsed junk = VCardFile::read(many);
    QCOMPARE(junk.skipped.size(), ContactFile::MaxNamedSkips);
    QCOMPARE(junk.moreSkipped, 30 - ContactFile::MaxNamedSkips + 1);
}

QTEST_APPLESS_MAIN(TestCoreContactFiles)
#include "tst_core_contactfiles.moc"
