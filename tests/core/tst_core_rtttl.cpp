// SPDX-License-Identifier: GPL-2.0-or-later
// Ringtones from RTTTL and eMelody into the phone's notation and back, and
// the melody files that hold them.
#include <QtTest>

#include <QBuffer>

#include "Scratch.h"
#include "core/melodies/ComposeText.h"
#include "core/melodies/EMelody.h"
#include "core/melodies/MelodyFiles.h"
#include "core/melodies/Rtttl.h"

namespace {
MelodyFiles::Listed readBytes(const QByteArray &bytes, MelodyFiles::Format format)
{
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    return MelodyFiles::read(b, format);
}
} // namespace

class TestCoreRtttl : public QObject {
    Q_OBJECT
private slots:
    void conversion_data();
    void conversion();
    void roundTrip_data();
    void roundTrip();
    void eMelody();
    void files();
    void publicTunes();
    void boundsAndMessages();
};

void TestCoreRtttl::conversion_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("name");   // "-": the line does not parse
    QTest::addColumn<QByteArray>("melody");

    // Public tunes: eighths are the common length, so quarters and halves
    // are long; octaves 5 and 6 move up one into the phone's two.
    QTest::newRow("Nokia tune") << QByteArray("Nokia:d=4,o=5,b=225:8e6,8d6,f#,g#,8c#6,8b,d,e,8b,8a,c#,e,2a")
                                << "Nokia" << QByteArray("+e+d#F#G+#cbDEba#CEA");
    QTest::newRow("The Simpsons")
        << QByteArray("TheSimpsons:d=4,o=5,b=160:c.6,e6,f#6,8a6,g.6,e6,c6,8a,8f#,8f#,8f#,2g,8p,8p,8f#,8f#,8f#,8g,"
                      "a#.,8c6,8c6,8c6,c6")
        << "TheSimpsons" << QByteArray("+C+E+#F+a+G+E+Ca#f#f#fGpp#f#f#fg#A+c+c+c+C");
    QTest::newRow("defaults d=4,o=6 when left out") << QByteArray("Plain::c,8d,e7,p") << "Plain" << QByteArray("cd+ep");
    QTest::newRow("a long pause is pp") << QByteArray("Rest:d=8:c,d,2p,e") << "Rest" << QByteArray("cdppe");
    QTest::newRow("the smaller of two fitting shifts") << QByteArray("Low:d=8,o=6,b=100:c,d,e") << "Low"
                                                       << QByteArray("cde");
    QTest::newRow("two octaves up") << QByteArray("Deep:d=8,o=4,b=100:c,e,g") << "Deep" << QByteArray("ceg");
    QTest::newRow("tie of down and up: down") << QByteArray("Tie:d=8,o=5,b=100:c,d,e6,f7,g8,a8") << "Tie"
                                              << QByteArray("cdef+g+a");
    QTest::newRow("outliers to the nearest octave") << QByteArray("Wide:d=8,o=5,b=100:c4,c5,c6,c7,c8") << "Wide"
                                                    << QByteArray("ccc+c+c");
    QTest::newRow("h, upper case, blanks, dots either side")
        << QByteArray("  Mixed : d=8, o=5, b=100 : H, 4C#6., e. , \r") << "Mixed" << QByteArray("b+#Ce");
    QTest::newRow("RTX loop and style") << QByteArray("Rtx:d=4,o=5,b=100,l=2,s=n:c") << "Rtx" << QByteArray("c");
    QTest::newRow("only pauses") << QByteArray("Hush:d=8:p,p,2p") << "Hush" << QByteArray("pppp");
    QTest::newRow("UTF-8 name, | and ; kept out of the list")
        << QByteArray("S\xc3\xa5ng|x;y:d=8:c") << u"S\u00e5ng|x;y"_qs << QByteArray("c");

    QTest::newRow("no notes") << QByteArray("NoNotes:d=4,o=5,b=100:") << "-" << QByteArray();
    QTest::newRow("unknown note") << QByteArray("Bad:d=4,o=5,b=100:8c,8x") << "-" << QByteArray();
    // As collections write them: "_" for a sharp, e# and b#, the sharp
    // after the octave, 1/64 notes, bad settings taken as their defaults,
    // a colon in the name.
    QTest::newRow("collection sharps") << QByteArray("Usharp:d=8,o=5:a_5,b#5,e#5,c6#") << "Usharp"
                                       << QByteArray("#a+cf+#c");
    QTest::newRow("1/64 is the shortest") << QByteArray("Short:d=4:64c,c") << "Short" << QByteArray("cC");
    QTest::newRow("bad settings are defaults") << QByteArray("Odd:d=3,o=9,b=0:c") << "Odd" << QByteArray("c");
    QTest::newRow("colon in the name") << QByteArray("Star Wars: Cantina:d=8,o=6:c") << "Star Wars: Cantina"
                                       << QByteArray("c");
    QTest::newRow("a third colon") << QByteArray("Colon:d=4:c:d") << "-" << QByteArray();
    QTest::newRow("unknown default") << QByteArray("Key:d=4,q=2:c") << "-" << QByteArray();
    QTest::newRow("two dots") << QByteArray("Dots:d=4:c..6") << "-" << QByteArray();
    QTest::newRow("one colon") << QByteArray("Half:c,d") << "-" << QByteArray();
    QTest::newRow("the notation") << QByteArray("Tune one|G#AB") << "-" << QByteArray();
}

void TestCoreRtttl::conversion()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, name);
    QFETCH(QByteArray, melody);
    const auto tune = Rtttl::parse(line);
    QCOMPARE(tune ? tune->name : QStringLiteral("-"), name);
    QCOMPARE(tune ? tune->melody : QByteArray(), melody);
    QVERIFY(!tune || !tune->melody.contains(' '));
}

void TestCoreRtttl::roundTrip_data()
{
    QTest::addColumn<QByteArray>("melody");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("back"); // the melody as the keyboard writes it
    QTest::newRow("short notes") << QByteArray("cdefgab") << QByteArray("8c,8d,8e,8f,8g,8a,8b")
                                 << QByteArray("cdefgab");
    QTest::newRow("long notes only") << QByteArray("CDE") << QByteArray("4c,4d,4e") << QByteArray("CDE");
    QTest::newRow("more long than short") << QByteArray("CDEc") << QByteArray("4c,4d,4e,8c") << QByteArray("CDEc");
    QTest::newRow("upper octave, sharps") << QByteArray("+#c+#C#d+b") << QByteArray("8c#7,4c#7,8d#,8b7")
                                          << QByteArray("+#c+#C#d+b");
    QTest::newRow("upper octave only") << QByteArray("+c+d") << QByteArray("8c7,8d7") << QByteArray("+c+d");
    QTest::newRow("pauses") << QByteArray("cppD") << QByteArray("8c,8p,8p,4d") << QByteArray("cppD");
    QTest::newRow("a pause alone") << QByteArray("p") << QByteArray("8p") << QByteArray("p");
    QTest::newRow("a keyboard melody")
        << QByteArray("e+#c+#dGp#fbABC+C+#G") << QByteArray("8e,8c#7,8d#7,4g,8p,8f#,8b,4a,4b,4c,4c7,4g#7")
        << QByteArray("e+#c+#dGp#fbABC+C+#G");
    QTest::newRow("flats as the sharps they sound") << QByteArray("(b)e(b)B+(b)a") << QByteArray("8d#,4a#,8g#7")
                                                    << QByteArray("#d#A+#g");
    QTest::newRow("what the phone skips is gone") << QByteArray("c d P9 #e (b)c x") << QByteArray("8c,8d")
                                                  << QByteArray("cd");
}

// A melody saved as RTTTL and opened again comes back as it was.
void TestCoreRtttl::roundTrip()
{
    QFETCH(QByteArray, melody);
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, back);
    const QByteArray line = Rtttl::write(QStringLiteral("Melody 1"), melody);
    QCOMPARE(line, "Melody 1:d=8,o=6,b=225:" + written);
    const auto tune = Rtttl::parse(line);
    QVERIFY(tune);
    QCOMPARE(tune->name, QStringLiteral("Melody 1"));
    QCOMPARE(tune->melody, back);

    // The name: at most ten characters, no colon, never empty.
    QCOMPARE(Rtttl::write(QStringLiteral("Happy: Birthday to you"), "c"), QByteArray("Happy Birt:d=8,o=6,b=225:8c"));
    QCOMPARE(Rtttl::writtenName(QStringLiteral(" :\t")), QStringLiteral("Melody"));
    QCOMPARE(Rtttl::write(QStringLiteral("x"), "#e(b)cP"), QByteArray()); // nothing sounds
}

void TestCoreRtttl::eMelody()
{
    const auto lines = [](const QByteArray &text) {
        QList<EMelody::Line> out;
        for (const QByteArray &l : text.split('\n'))
            out.append({l.endsWith('\r') ? l.chopped(1) : l, false});
        return out;
    };
    const EMelody::Read r = EMelody::read(lines("BEGIN:EMELODY\r\nVERSION:1.0\r\nNAME:Tune one\r\n"
                                                "MELODY:(b)e+#Cp\r\nEND:EMELODY\r\n"
                                                "\r\n"
                                                "begin:emelody\nname;charset=utf-8:S\xc3\xa5ng\nmelody:cde\n fg\n"
                                                "composer:x\nend:emelody\n"
                                                "stray text\n"
                                                "BEGIN:EMELODY\nNAME:No melody\nEND:EMELODY\n"
                                                "BEGIN:EMELODY\nMELODY:c\n"
                                                "BEGIN:EMELODY\nMELODY:d\n"));
    QCOMPARE(r.tunes.size(), 2);
    QCOMPARE(r.tunes[0].name, QStringLiteral("Tune one"));
    QCOMPARE(r.tunes[0].melody, QByteArray("(b)e+#Cp")); // taken as it is
    QCOMPARE(r.tunes[1].name, u"S\u00e5ng"_qs);
    QCOMPARE(r.tunes[1].melody, QByteArray("cdefg")); // a folded line continues
    // The stray line, the block without a melody, and two left open.
    QCOMPARE(r.skipped, (QList<int>{13, 14, 17, 19}));

    // What is written reads back.
    const QByteArray written = EMelody::write(QStringLiteral("My\ttune"), "c+#Dp\r\n");
    QCOMPARE(written, QByteArray("BEGIN:EMELODY\r\nVERSION:1.0\r\nNAME:Mytune\r\nMELODY:c+#Dp\r\nEND:EMELODY\r\n"));
    const EMelody::Read back = EMelody::read(lines(written));
    QCOMPARE(back.tunes.size(), 1);
    QCOMPARE(back.tunes[0].melody, QByteArray("c+#Dp"));
    QVERIFY(back.skipped.isEmpty());
}

void TestCoreRtttl::files()
{
    using MelodyFiles::Format;
    QCOMPARE(MelodyFiles::formatOf(QStringLiteral("/a/b.RTTTL")), Format::Rtttl);
    QCOMPARE(MelodyFiles::formatOf(QStringLiteral("b.rtx")), Format::Rtttl);
    QCOMPARE(MelodyFiles::formatOf(QStringLiteral("b.emy")), Format::EMelody);
    QCOMPARE(MelodyFiles::formatOf(QStringLiteral("b.nmp")), Format::Lines);
    QCOMPARE(MelodyFiles::formatOf(QStringLiteral("rtttl")), Format::Lines);

    // A text file: the notation's lines as they always were, RTTTL lines as
    // tunes, a tune line that does not parse skipped.
    const MelodyFiles::Listed txt = readBytes("\xEF\xBB\xBFNokia:d=4,o=5,b=225:8e6,8d6,f#\r\n"
                                              "Tune one|G#AB\r\n\r\nBad:d=4:8x\r\nSong;c d e: x\n\xe9t\xe9|a",
                                              Format::Lines);
    QCOMPARE(txt.items, (QStringList{"Nokia|+e+d#F", "Tune one|G#AB", "", "Song;c d e: x", u"\u00e9t\u00e9|a"_qs}));
    QCOMPARE(txt.skipped, QList<int>{4});
    // A moved tune loses its name.
    QCOMPARE(ComposeText::movedMelody(txt.items[0].toLatin1()), QByteArray("+e+d#F"));

    // An RTTTL file: blank lines are nothing, anything else must parse.
    const MelodyFiles::Listed rtttl = readBytes("A:d=8:c\n\n  \nnot a tune\nB:d=8:d\n", Format::Rtttl);
    QCOMPARE(rtttl.items, (QStringList{"A|c", "B|d"}));
    QCOMPARE(rtttl.skipped, QList<int>{4});

    // eMelody by its suffix, or by its first line whatever the name.
    const QByteArray emy = "\r\nBEGIN:EMELODY\r\nNAME:E\r\nMELODY:+#Cp\r\nEND:EMELODY\r\n";
    for (const Format f : {Format::EMelody, Format::Lines}) {
        const MelodyFiles::Listed e = readBytes(emy, f);
        QCOMPARE(e.items, QStringList{"E|+#Cp"});
        QVERIFY(e.skipped.isEmpty());
    }

    // Saved whole, or not at all with the reason.
    Scratch dir;
    QString error;
    QVERIFY(MelodyFiles::save(dir.filePath("a.rtttl"), "A:d=8:c\r\n", &error));
    QCOMPARE(dir.read("a.rtttl"), QByteArray("A:d=8:c\r\n"));
    const QString nowhere = dir.filePath("missing/a.rtttl");
    QVERIFY(!MelodyFiles::save(nowhere, "x", &error));
    QVERIFY2(error.startsWith("Cannot write " + QDir::toNativeSeparators(nowhere) + ": ") && error.size() > 15 + nowhere.size(),
             qPrintable(error));
}

// Tunes as they circulate (tests/core/data names where from): nearly all
// are read, and what is not says why.
void TestCoreRtttl::publicTunes()
{
    QFile file(QStringLiteral(MIRVAK_TEST_DATA "/public-tunes.rtttl"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const MelodyFiles::Listed tunes = MelodyFiles::read(file, MelodyFiles::Format::Rtttl);
    const qsizetype all = tunes.items.size() + tunes.skipped.size();
    QVERIFY(all >= 70);
    QVERIFY2(tunes.skipped.size() * 20 <= all, qPrintable(MelodyFiles::message(file.fileName(), tunes)));
}

// Whatever a file holds, the list and the message stay bounded.
void TestCoreRtttl::boundsAndMessages()
{
    using MelodyFiles::Format;
    // A tune line too long to be read whole is skipped, not cut into a
    // different tune; a notation line is cut as it always was.
    QByteArray longTune = "Long:d=8:c";
    while (longTune.size() <= MelodyFiles::MaxTuneLine)
        longTune += ",d";
    const MelodyFiles::Listed l = readBytes(longTune + "\nx:d=8:e\n" + QByteArray(5000, 'c'), Format::Lines);
    QCOMPARE(l.items, (QStringList{"x|e", QString(ComposeText::MaxLineLength, u'c')}));
    QCOMPARE(l.skipped, QList<int>{1});

    // Binary bytes in an RTTTL file: every line skipped, none kept, no more
    // lines than the notation's reader takes.
    QByteArray binary;
    for (int i = 0; i < 3 * ComposeText::MaxLines; ++i)
        binary += char(i * 7) + QByteArray(1, char(i)) + ":\n";
    const MelodyFiles::Listed b = readBytes(binary, Format::Rtttl);
    QVERIFY(b.items.isEmpty());
    QVERIFY(b.skipped.size() <= ComposeText::MaxLines);

    // A list of files without a tune line is what the notation's reader gives.
    QBuffer plain;
    const QByteArray notation = "One|cde\r\n\r\nTwo;fg\n" + QByteArray(2000, 'C') + "\r\n" + QByteArray("\x01\x00x", 3);
    plain.setData(notation);
    plain.open(QIODevice::ReadOnly);
    QCOMPARE(readBytes(notation, Format::Lines).items, ComposeText::readMelodyLines(plain));

    // Each skipped line named with its reason, each default taken noted.
    const MelodyFiles::Listed told = readBytes("A:d=8:c\nB:d=8:c,x\nC:b=0,d=7:c\nD:q=1:c\nE:d=8:\n", Format::Rtttl);
    QCOMPARE(told.items, (QStringList{"A|c", "C|c"}));
    QCOMPARE(MelodyFiles::message(QStringLiteral("/x/t.rtttl"), told),
             QStringLiteral("3 lines of t.rtttl could not be read as melodies and were skipped: lines 2, 4 and 5.\n"
                            "line 2: unknown note 'x'\nline 4: unknown setting 'q=1'\nline 5: no note\n\n"
                            "Read with a default:\nline 3: b=0 is no tempo; 63 is taken\n"
                            "line 3: d=7 is no length; 4 is taken"));

    QCOMPARE(MelodyFiles::skippedMessage(QStringLiteral("/x/t.txt"), {}), QString());
    QCOMPARE(MelodyFiles::skippedMessage(QStringLiteral("/x/t.txt"), {7}),
             QStringLiteral("Line 7 of t.txt could not be read as a melody and was skipped."));
    QCOMPARE(MelodyFiles::skippedMessage(QStringLiteral("t.rtttl"), {3, 7, 12}),
             QStringLiteral("3 lines of t.rtttl could not be read as melodies and were skipped: lines 3, 7 and 12."));
    QList<int> many;
    for (int i = 1; i <= 25; ++i)
        many << i;
    QVERIFY(MelodyFiles::skippedMessage(QStringLiteral("t.rtx"), many)
                .endsWith(QStringLiteral("lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 "
                                         "and 5 more.")));
}

QTEST_GUILESS_MAIN(TestCoreRtttl)
#include "tst_core_rtttl.moc"
