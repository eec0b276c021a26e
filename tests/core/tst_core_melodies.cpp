// SPDX-License-Identifier: GPL-2.0-or-later
// The own-melody reply, the melody as stored, and the *ESOM, *ERIN and
// *ERIP command lines, fed with replies as a T28 sends them (echo on).
#include <QtTest>

#include <QBuffer>

#include "core/melodies/ComposeText.h"
#include "core/melodies/MelodyAt.h"

class TestCoreMelodies : public QObject {
    Q_OBJECT
private slots:
    void readSlots_data();
    void readSlots();
    void storeCommands_data();
    void storeCommands();
    void ringCommands_data();
    void ringCommands();
    void composeLine();
    void movedMelodies_data();
    void movedMelodies();
    void melodyFiles();
};

void TestCoreMelodies::readSlots_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QStringList>("shown"); // "-" for an unreported slot
    const QByteArray longMelody(300, 'c');
    QTest::newRow("slots 1 and 3 only") << QByteArray("*ESOM: 1,\"cdef\"\r\n*ESOM: 3,\"+#GA(b)b\"")
                                        << QStringList{"cdef", "-", "+#GA(b)b", "-"};
    QTest::newRow("all four, one empty") << QByteArray("*ESOM: 4,\"p\"\r\n*ESOM: 2,\"\"\r\n*ESOM: 1,\"a\",0\r\n*ESOM: 3,\"b\"")
                                         << QStringList{"a", "", "b", "p"};
    QTest::newRow("none") << QByteArray("*ESOM:") << QStringList{"-", "-", "-", "-"};
    QTest::newRow("cut to 255") << QByteArray("*ESOM: 2,\"" + longMelody + "\"")
                                << QStringList{"-", QString(255, u'c'), "-", "-"};
    QTest::newRow("quote left open ends at its line") << QByteArray("*ESOM: 1,\"cde\r\n*ESOM: 2,\"fg\"")
                                                      << QStringList{"cde", "fg", "-", "-"};
}

void TestCoreMelodies::readSlots()
{
    QFETCH(QByteArray, lines);
    QFETCH(QStringList, shown);
    const MelodyAt::Slots found = MelodyAt::ownMelodies("AT*ESOM?\r\r\n" + lines + "\r\n\r\nOK\r\n");
    QStringList got;
    for (const auto &s : found)
        got << (s ? QString::fromLatin1(*s) : QStringLiteral("-"));
    QCOMPARE(got, shown);
}

void TestCoreMelodies::storeCommands_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QByteArray>("command"); // empty: nothing is sent
    QTest::newRow("blanks and a trailing +") << 1 << QByteArray("c d e+") << QByteArray("AT*ESOM=1,\"cde\"\r\n");
    QTest::newRow("only +#") << 1 << QByteArray("+#") << QByteArray("AT*ESOM=1,\"\"\r\n");
    QTest::newRow("n/a keeps its a") << 3 << QByteArray(MelodyAt::NotAvailable) << QByteArray("AT*ESOM=3,\"a\"\r\n");
    // Storing does not cut a name before "|" as moving from a file does.
    QTest::newRow("flats, sharps, pauses, a name") << 4 << QByteArray("Tune|(b)e +#Gp P9")
                                                   << QByteArray("AT*ESOM=4,\"e(b)e+#Gp\"\r\n");
    QTest::newRow("quote, CR, Ctrl-Z") << 2 << QByteArray("c\"\r\n\x1a\x1b" "d")
                                       << QByteArray("AT*ESOM=2,\"cd\"\r\n");
    QTest::newRow("empty box") << 1 << QByteArray() << QByteArray();
    QTest::newRow("slot 0") << 0 << QByteArray("c") << QByteArray();
    QTest::newRow("slot 5") << 5 << QByteArray("c") << QByteArray();
}

void TestCoreMelodies::storeCommands()
{
    QFETCH(int, slot);
    QFETCH(QByteArray, box);
    QFETCH(QByteArray, command);
    QCOMPARE(MelodyAt::storeCommand(slot, box).value_or(QByteArray()), command);
}

void TestCoreMelodies::ringCommands_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("callType");
    QTest::addColumn<QByteArray>("setType"); // empty: nothing is sent
    QTest::addColumn<QByteArray>("play");
    QTest::newRow("Use2, Data") << MelodyAt::ownMelodyCode(2) << 2 << QByteArray("AT*ERIN=32,4\r\n")
                                << QByteArray("AT*ERIP=7,32\r\n");
    QTest::newRow("UseCombo 12, Alarm") << QByteArray("12") << 4 << QByteArray("AT*ERIN=12,5\r\n")
                                        << QByteArray("AT*ERIP=7,12\r\n");
    QTest::newRow("Use1, Fax") << MelodyAt::ownMelodyCode(1) << 3 << QByteArray("AT*ERIN=31,3\r\n")
                               << QByteArray("AT*ERIP=7,31\r\n");
    QTest::newRow("Voice, code typed with a blank") << QByteArray(" 5") << 1 << QByteArray("AT*ERIN=5,1\r\n")
                                                    << QByteArray("AT*ERIP=7,5\r\n");
    QTest::newRow("Call Type") << QByteArray("31") << 0 << QByteArray() << QByteArray("AT*ERIP=7,31\r\n");
    QTest::newRow("beyond the list") << QByteArray("31") << 5 << QByteArray() << QByteArray("AT*ERIP=7,31\r\n");
    QTest::newRow("no code") << QByteArray("") << 1 << QByteArray() << QByteArray();
    QTest::newRow("not a code") << QByteArray("1;") << 1 << QByteArray() << QByteArray();
}

void TestCoreMelodies::ringCommands()
{
    QFETCH(QByteArray, code);
    QFETCH(int, callType);
    QFETCH(QByteArray, setType);
    QFETCH(QByteArray, play);
    QCOMPARE(MelodyAt::ringTypeCommand(code, callType).value_or(QByteArray()), setType);
    QCOMPARE(MelodyAt::playCommand(code).value_or(QByteArray()), play);
}

// The compose line as the keys build it and "Del" takes it apart.
void TestCoreMelodies::composeLine()
{
    using ComposeText::keyText;
    QCOMPARE(keyText(0, 5, false) + keyText(1, 6, false) + keyText(11, 5, false), QByteArray("c+#cb"));
    QCOMPARE(keyText(10, 6, true) + keyText(4, 5, true) + keyText(6, 5, false), QByteArray("+#AE#f"));
    QCOMPARE(keyText(12, 5, false), QByteArray());

    const QList<QPair<QString, QString>> deletes{
        {"c+#cb", "c+#c"}, {"c+#c", "c"}, {"+", ""}, {"#", ""}, {"c", ""}, {"", ""},
        {"c(b)d", "c(b)"}, {"#c", ""}, {"pp", "p"}, {"C+#", "C"},
    };
    for (const auto &[before, after] : deletes)
        QVERIFY2(ComposeText::deleteLastNote(before) == after, qPrintable(before));
}

void TestCoreMelodies::movedMelodies_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("kept");
    QTest::newRow("name before |") << QByteArray("Tune one|G#AB") << -1 << QByteArray("G#AB");
    QTest::newRow("name before ;") << QByteArray("Song;c d e") << -1 << QByteArray("cde");
    QTest::newRow("| then ;") << QByteArray("a|b;c") << -1 << QByteArray("c");
    QTest::newRow("; before |") << QByteArray("x;b|c") << -1 << QByteArray("c");
    QTest::newRow("n/a") << QByteArray(" n/a") << -1 << QByteArray("a");
    QTest::newRow("notation kept") << QByteArray("+#C(b)Ep P9h") << -1 << QByteArray("+#C(b)Ep");
    QTest::newRow("play text cut") << QByteArray(300, 'c').prepend("xx|") << ComposeText::MaxPlayText
                                   << QByteArray(ComposeText::MaxPlayText, 'c');
}

void TestCoreMelodies::movedMelodies()
{
    QFETCH(QByteArray, line);
    QFETCH(int, limit);
    QFETCH(QByteArray, kept);
    QCOMPARE(ComposeText::movedMelody(line, limit), kept);
}

// Lines come back unchanged (empty ones too) and a hostile file stays bounded.
void TestCoreMelodies::melodyFiles()
{
    const auto read = [](const QByteArray &bytes) {
        QBuffer b;
        b.setData(bytes);
        b.open(QIODevice::ReadOnly);
        return ComposeText::readMelodyLines(b);
    };
    QCOMPARE(read("One|cde\r\n\r\nTwo;fg\n\xe9t\xe9|a"), (QStringList{"One|cde", "", "Two;fg", u"\u00e9t\u00e9|a"_qs}));
    QCOMPARE(read(""), QStringList());

    const QStringList huge = read(QByteArray(3 * ComposeText::MaxLineLength, 'c') + "\nd\n");
    QCOMPARE(huge, (QStringList{QString(ComposeText::MaxLineLength, u'c'), "d"}));
    QByteArray many;
    for (int i = 0; i < ComposeText::MaxLines + 50; ++i)
        many += QByteArray(1, char(i)) + "\n"; // binary: NULs and controls too
    QCOMPARE(read(many).size(), ComposeText::MaxLines);
}

QTEST_GUILESS_MAIN(TestCoreMelodies)
#include "tst_core_melodies.moc"
