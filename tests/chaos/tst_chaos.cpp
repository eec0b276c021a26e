// SPDX-License-Identifier: GPL-2.0-or-later
// The real window against a misbehaving simulated phone: every page's phone
// operations, each under a fault drawn at random, and after each one the
// window must be as a user can go on with it.
//
// MIRVAK_CHAOS_SEED (default 20261208) and MIRVAK_CHAOS_ROUNDS (default
// DefaultRounds below) choose the run; a failure names the seed and round to
// repeat it.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <random>

#include "FormRig.h"
#include "core/phonebooks/PhonebookModel.h"
#include "gui/common/Tab.h"
#include "gui/phonebooks/PhonebooksPage.h"
#include "gui/settings/SettingsPage.h"
#include "link/port/SerialPort.h"

namespace {

enum class Fault { None, Silent, Error, Cme, Garbage, Trickle, Late, Cut, Vanish, StallFrame, BinarySilent, Abort, Gone };

const char *faultName(Fault f)
{
    static const char *names[] = {"none", "silent", "error", "cme", "garbage", "trickle", "late", "cut",
                                  "vanish", "stall-frame", "binary-silent", "abort", "gone"};
    return names[int(f)];
}

// One phone operation as a user starts it.
struct Operation {
    QString name;
    QJsonObject phone;                       // the phone's state for it
    std::function<QWidget *(MainWindow &)> show; // goes to the page, fills in input; the page
    QString button;                          // clicked to start it
    bool binary = false;                     // goes through binary mode
    QStringList mayChange = {};              // controls whose state the result may change
    std::function<bool(MainWindow &)> mayKeepPort = {}; // an end that leaves the port open by design
    // Filled in by the fault-free run.
    QStringList commands = {};
    bool closesPort = true;
};

template <typename T = QWidget>
T *named(const MainWindow &f, const char *name)
{
    return guitest::find<T>(&f, QString::fromLatin1(name));
}

QWidget *showTab(MainWindow &f, Tab::Page tab, const char *page)
{
    named<QTabBar>(f, "mainTabs")->setCurrentIndex(int(tab));
    return named(f, page);
}

QWidget *settingsPanel(MainWindow &f, const char *node)
{
    auto *page = qobject_cast<SettingsPage *>(showTab(f, Tab::Settings, "Panel4"));
    page->selectNode(QString::fromLatin1(node));
    return page->currentPanel();
}

QWidget *smsPage(MainWindow &f, bool icq)
{
    QWidget *page = showTab(f, Tab::Sms, "Panel1");
    named<QPlainTextEdit>(f, "TextBox")->setPlainText(QStringLiteral("chaos @ $"));
    named<QComboBox>(f, icq ? "ComboBox2" : "ComboBox1")
        ->setEditText(icq ? QStringLiteral("12345") : QStringLiteral("+46701234567"));
    return page;
}

PhonebooksPage *booksPage(MainWindow &f)
{
    return qobject_cast<PhonebooksPage *>(showTab(f, Tab::Phonebooks, "Panel2"));
}

QWidget *simBook(MainWindow &f, bool fill)
{
    PhonebooksPage *p = booksPage(f);
    named<QTabWidget>(f, "Tabs")->setCurrentIndex(2); // the SIM book
    if (fill) {
        if (p->simBook.count() < 3)
            p->simBook.resize(3);
        p->simBook.setEntry(2, PhonebookEntry{"0701234567", "Chaos"});
    }
    return p;
}

QWidget *melodiesPage(MainWindow &f)
{
    return showTab(f, Tab::Melodies, "Panel3");
}

QList<Operation> operations()
{
    const QJsonObject plain;
    // The network takes its time, so a device can vanish between its answers.
    const QJsonObject network{{"networkDelayMs", 100}};
    const QJsonObject smallSim{{"sim", QJsonObject{{"size", 4},
                                                   {"entries", QJsonArray{QJsonObject{{"index", 1}, {"number", "46701234567"},
                                                                                      {"type", 145}, {"name", "Anna"}}}}}}};
    QList<Operation> ops{
        {"SMS in AT mode", plain, [](MainWindow &f) { return smsPage(f, false); }, "btnSend"},
        // A centre that cannot be read ends the send at once, the port left open.
        {"SMS as ICQ", plain, [](MainWindow &f) { return smsPage(f, true); }, "btnICQ", false, {},
         [](MainWindow &f) { return named<QLabel>(f, "statusPanel0")->text() == QLatin1String("Error getting SMSC"); }},
        {"SMS in binary mode", {{"binaryOnly", true}}, [](MainWindow &f) { return smsPage(f, false); }, "btnSend", true},
        {"ICQ in binary mode", {{"binaryOnly", true}}, [](MainWindow &f) { return smsPage(f, true); }, "btnICQ", true},
        {"info read", plain, [](MainWindow &f) { return settingsPanel(f, "GSM Info"); }, "btnInfo"},
        {"centre set", {{"binaryOnly", true}},
         [](MainWindow &f) {
             QWidget *p = settingsPanel(f, "GSM Info");
             auto *centre = named<QLineEdit>(f, "txtGSMSMSC");
             centre->clear();
             QTest::keyClicks(centre, QStringLiteral("+46705008999"));
             return p;
         },
         "btnSetSMSC"},
        {"SIM book read", smallSim, [](MainWindow &f) { return simBook(f, false); }, "btnRead"},
        {"phone book read", plain,
         [](MainWindow &f) {
             QWidget *p = booksPage(f);
             named<QTabWidget>(f, "Tabs")->setCurrentIndex(3);
             return p;
         },
         "btnRead"},
        {"SIM book write", smallSim, [](MainWindow &f) { return simBook(f, true); }, "btnWrite"},
        {"SIM book update", smallSim,
         [](MainWindow &f) {
             QWidget *p = simBook(f, true);
             booksPage(f)->simBook.setEntry(3, PhonebookEntry{"+4670555", "Upd"});
             return p;
         },
         "btnChanges"},
        {"melody read", {{"ownMelodies", QJsonObject{{"1", "cdef"}}}}, melodiesPage, "btnReadMelodies", false,
         {"PlayCombo", "UseCombo"}},
        {"melody store", plain,
         [](MainWindow &f) {
             QWidget *p = melodiesPage(f);
             p->findChild<QLineEdit *>(QStringLiteral("editTune2"))->setText(QStringLiteral("c d e"));
             return p;
         },
         "ok2"},
        {"ring type", plain, melodiesPage, "Use1"},
        {"settings 1 read", plain, [](MainWindow &f) { return settingsPanel(f, "Settings-1"); }, "BtnSet1"},
        {"minute minder", plain, [](MainWindow &f) { return settingsPanel(f, "Settings-1"); }, "chkMM"},
        {"key lock", plain, [](MainWindow &f) { return settingsPanel(f, "Settings-1"); }, "chkKeyLock"},
        {"settings 2 read", plain, [](MainWindow &f) { return settingsPanel(f, "Settings-2"); }, "btnSet2", false,
         {"ComboLang"}},
        {"voicemail write", plain,
         [](MainWindow &f) {
             QWidget *p = settingsPanel(f, "Settings-2");
             p->findChild<QLineEdit *>(QStringLiteral("editVM"))->setText(QStringLiteral("+46708123456"));
             return p;
         },
         "btnVM"},
        // A list the phone did not give stays disabled until a read brings it.
        {"profiles read", plain, [](MainWindow &f) { return settingsPanel(f, "Profiles"); }, "btnProfiles", false,
         {"ComboProfiles", "RingVolume"}},
        {"silent mode", plain, [](MainWindow &f) { return settingsPanel(f, "Profiles"); }, "chkSilent"},
        {"greeting off", plain, [](MainWindow &f) { return settingsPanel(f, "Settings-2"); }, "btnOff"},
        {"alarm set", plain, [](MainWindow &f) { return settingsPanel(f, "Clock"); }, "btnAlmOK"},
        {"clock read", plain, [](MainWindow &f) { return settingsPanel(f, "Clock"); }, "btngetClock"},
        {"clock sync", plain, [](MainWindow &f) { return settingsPanel(f, "Clock"); }, "btnPCtime"},
        {"forwarding query", network, [](MainWindow &f) { return settingsPanel(f, "Voice"); }, "btnGetVoice"},
        {"forwarding set", network,
         [](MainWindow &f) {
             QWidget *p = settingsPanel(f, "Voice");
             p->findChild<QLineEdit *>(QStringLiteral("editVbusy"))->setText(QStringLiteral("0701234567"));
             return p;
         },
         "btnSetVbusy"},
        {"forwarding cancel", network, [](MainWindow &f) { return settingsPanel(f, "Voice"); }, "btnCancelVbusy"},
        {"call waiting query", network, [](MainWindow &f) { return settingsPanel(f, "Call Waiting"); }, "btnCWs"},
        {"call waiting on", network, [](MainWindow &f) { return settingsPanel(f, "Call Waiting"); }, "btnCWa"},
        {"personal rings read", plain, [](MainWindow &f) { return settingsPanel(f, "Personal Rings"); }, "btnGetPR", false,
         {"btnAdd"}},
    };
    return ops;
}

// The link's time-outs at a fifth and its holds shorter still, but the
// network's and a handed-over message's answers awaited one second: the
// simulated network answers in a tenth of that, and those two time-outs
// would otherwise make most of the run's time.
Timing chaosTiming()
{
    Timing t = guitest::testTiming();
    t.network = 1000;
    t.longReply = 1000;
    return t;
}

// How long a user watches a line on which nothing moves (no command
// written, no byte come) before pressing Abort: past the link's longest
// time-out, with room for a machine under load.
int userPatienceMs()
{
    const Timing t = chaosTiming();
    return qMax(qMax(t.network, t.longReply), qMax(t.binaryAnswer, t.centreAnswer)) + 1000;
}

// Longer than any operation of this run takes unless it is stuck.
constexpr int OverallPatienceMs = 10000;

// After the user's Abort, an operation has this long to unwind before the
// round counts it as hung.
constexpr int UnwindMs = 15000;

// The default run: every fault kind on every operation now and then, in
// about a quarter of a minute under the sanitizers.
constexpr int DefaultRounds = 30;

// Every open descriptor and what it refers to.
QMap<QString, QString> openDescriptors()
{
    QMap<QString, QString> out;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::NoDotAndDotDot | QDir::System))
        out.insert(fd, QFile::symLinkTarget(fds.filePath(fd)));
    return out;
}

// What a round left open that was not open before it. The system's own
// files (fonts, caches, locale data) a toolkit loads the first time it
// needs them, at whatever moment, are no leak.
QStringList leftOpen(const QMap<QString, QString> &before, const QMap<QString, QString> &after)
{
    QStringList out;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) == it.value())
            continue;
        const QString &target = it.value();
        static const QStringList system{QStringLiteral("/usr/"), QStringLiteral("/etc/"), QStringLiteral("/var/"),
                                        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + '/'};
        if (std::any_of(system.cbegin(), system.cend(), [&](const QString &dir) { return target.startsWith(dir); }))
            continue;
        out << QStringLiteral("%1 -> %2").arg(it.key(), target);
    }
    return out;
}

// Every named control of a page: enabled, and for buttons shown.
QMap<QString, QPair<bool, bool>> controls(QWidget *page)
{
    QMap<QString, QPair<bool, bool>> out;
    for (QWidget *w : page->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || !w->isVisibleTo(page->window()))
            continue;
        // Labels and gauges grey out to show an unknown value; only what
        // the user works with counts.
        if (!w->inherits("QAbstractButton") && !w->inherits("QLineEdit") && !w->inherits("QComboBox")
            && !w->inherits("QAbstractSlider") && !w->inherits("QAbstractSpinBox")
            && !w->inherits("QAbstractItemView") && !w->inherits("QPlainTextEdit") && !w->inherits("QTabBar"))
            continue;
        out[name] = {w->isEnabled(), !qobject_cast<QAbstractButton *>(w) || w->isVisible()};
    }
    return out;
}

} // namespace

class TestChaos : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyOperationFaultFree();
    void eachFaultKind_data();
    void eachFaultKind();
    void randomFaults();

private:
    // Runs one operation under one fault and checks the window after it.
    // Empty when all is well, else what went wrong.
    QString runRound(Operation &op, Fault fault, const QString &target, int abortAfterMs);
    void answerBox(QWidget *dialog);

    std::unique_ptr<guitest::FormRig> m_rig;
    QList<Operation> m_ops;
    QByteArray m_book;
    QMap<QString, QString> m_descriptors; // open after the fault-free pass
    int m_boxes = 0;
    QStringList m_boxTexts;
    std::mt19937 m_random;
};

void TestChaos::initTestCase()
{
    qputenv("MIRVAK_TONE", "none");
    m_rig = std::make_unique<guitest::FormRig>();
    QVERIFY(m_rig->ok());
    m_rig->openWindow();
    // A page builds its file dialogs, with their watchers, when first shown:
    // the window's own descriptors, open before any round counts them.
    for (int tab = Tab::About; tab >= Tab::Sms; --tab)
        showTab(*m_rig->form, Tab::Page(tab), "mainPages");
    m_rig->form->link.setTiming(chaosTiming());
    m_rig->fillIcqNumbers();
    m_book = m_rig->dir().read(QStringLiteral("QXsms.phb"));
    QVERIFY(!m_book.isEmpty());
    m_ops = operations();
}

void TestChaos::cleanupTestCase()
{
    m_rig.reset();
}

// Whatever box a fault brings up is answered as a user would: the error
// dialog's OK, a write confirmation's OK, any other box's default.
void TestChaos::answerBox(QWidget *dialog)
{
    if (dialog->objectName() != QLatin1String("confirmWrite"))
        ++m_boxes;
    m_boxTexts << guitest::dialogText(dialog);
    guitest::answerAsUser(dialog);
}

QString TestChaos::runRound(Operation &op, Fault fault, const QString &target, int abortAfterMs)
{
    MainWindow &f = *m_rig->form;
    QStringList args;
    switch (fault) {
    case Fault::Silent: args << "--fault" << "silent"; break;
    case Fault::Error: args << "--fault" << "error:" + target; break;
    case Fault::Cme: args << "--fault" << "cme:" + target + ":" + QString::number(abortAfterMs % 100 + 1); break;
    case Fault::Garbage: args << "--fault" << "garbage:" + target; break;
    case Fault::Trickle: args << "--fault" << "trickle:" + QString::number(abortAfterMs % 8 + 2); break;
    // Answers that come about when the link gives up on them (the reply
    // time-out is 300 ms at this scale) and may land in the next exchange.
    case Fault::Late: args << "--latency" << QString::number(200 + abortAfterMs / 2); break;
    case Fault::Cut: args << "--fault" << "cut:" + target; break;
    case Fault::Vanish: args << "--fault" << "hangup-after:" + target; break;
    case Fault::StallFrame: args << "--fault" << "stall-frame"; break;
    case Fault::BinarySilent: args << "--fault" << "binary-silent"; break;
    default: break;
    }
    m_boxes = 0;
    m_boxTexts.clear();
    const QMap<QString, QString> descriptorsBefore = openDescriptors();
    QString failure;
    {
        SimPhone sim(args, guitest::scaledPhone(op.phone));
        if (!sim.start())
            return QStringLiteral("the simulated phone did not start");
        sim.useAsCom(1);
        // Not the stopped phone's device: its pty number may go to another
        // program's terminal meanwhile.
        if (fault == Fault::Gone)
            m_rig->unplugPhone();

        QWidget *page = op.show(f);
        auto *button = page ? guitest::find<QAbstractButton>(page, op.button) : nullptr;
        if (!button || !button->isVisible() || !button->isEnabled())
            return QStringLiteral("no usable control %1").arg(op.button);
        const auto before = controls(page);
        // Only a read replaces the books on screen.
        auto *books = named<PhonebooksPage>(f, "Panel2");
        const PhonebookEntries simBefore = books->simBook.entries();
        const PhonebookEntries phoneBefore = books->phoneBook.entries();
        QTabBar *tabs = named<QTabBar>(f, "mainTabs");
        const bool tabsBefore = tabs->isEnabled();

        // The user: answers every box, presses Abort when the round says so,
        // and gives up on an operation that no longer moves.
        QElapsedTimer clock;
        bool userGaveUp = false, hung = false;
        QString noAbort;
        const guitest::Dialogs boxes([this](QWidget *dialog) { answerBox(dialog); });
        QTimer abortAt, quiet, overall, unwind;
        for (QTimer *t : {&abortAt, &quiet, &overall, &unwind})
            t->setSingleShot(true);
        if (fault == Fault::Abort)
            connect(&abortAt, &QTimer::timeout, &f, [&] {
                if (f.link.operationRunning())
                    f.link.requestAbort();
            });
        // Some waits are the user's to end (a message the phone took but
        // never confirmed): when nothing has moved on the line for longer
        // than any time-out of the link, or the whole operation has gone on
        // far longer than any should, the user presses the Abort button the
        // page shows.
        const auto giveUp = [&] {
            if (userGaveUp || !f.link.operationRunning())
                return;
            userGaveUp = true;
            QPushButton *abort = nullptr;
            for (QPushButton *b : page->findChildren<QPushButton *>())
                if (b->objectName().contains(QLatin1String("Abort")) && b->isVisible() && b->isEnabled())
                    abort = b;
            unwind.start(UnwindMs);
            if (abort) {
                QTest::mouseClick(abort, Qt::LeftButton);
            } else {
                noAbort = QStringLiteral("still waiting after %1 ms with no Abort to press").arg(clock.elapsed());
                f.link.requestAbort();
            }
        };
        connect(&quiet, &QTimer::timeout, &f, giveUp);
        connect(&overall, &QTimer::timeout, &f, giveUp);
        const auto moved = [&] {
            if (!userGaveUp)
                quiet.start();
        };
        connect(&f.link, &PhoneLink::commandWritten, &quiet, moved);
        connect(&f.ComPort1, &SerialPort::readyRead, &quiet, moved);
        connect(&unwind, &QTimer::timeout, &f, [&] {
            hung = true;
            f.link.requestAbort();
        });

        clock.start();
        abortAt.start(abortAfterMs);
        quiet.start(userPatienceMs());
        overall.start(OverallPatienceMs);
        QTest::mouseClick(button, Qt::LeftButton);
        // A box may outlast the click by a moment.
        const QWidget *errorDialog = guitest::findWindow(QStringLiteral("Form2"));
        const bool settled = QTest::qWaitFor([&] { return !f.link.operationRunning() && !errorDialog->isVisible(); },
                                             UnwindMs);
        const qint64 took = clock.elapsed();

        QStringList wrong;
        if (!settled)
            wrong << QStringLiteral("still running or showing the error dialog after the click");
        if (!noAbort.isEmpty())
            wrong << noAbort;
        if (hung)
            wrong << QStringLiteral("did not end within %1 s of Abort").arg(UnwindMs / 1000);
        if (f.link.operationRunning() || f.link.lockedPage() != PhoneLink::Idle)
            wrong << QStringLiteral("the page lock is still held (page %1)").arg(f.link.lockedPage());
        if (!f.isEnabled() || tabs->isEnabled() != tabsBefore)
            wrong << QStringLiteral("the window or its tab bar is left disabled");
        const auto after = controls(page);
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (op.mayChange.contains(it.key()))
                continue;
            const auto now = after.value(it.key(), {false, false});
            if (it->first && !now.first)
                wrong << QStringLiteral("%1 left disabled").arg(it.key());
            if (it->second && !now.second)
                wrong << QStringLiteral("%1 left hidden").arg(it.key());
        }
        // Some writes read the value back after closing the port and leave
        // it open; the fault-free run tells which.
        if (fault != Fault::None && op.closesPort && f.ComPort1.isOpen() && !(op.mayKeepPort && op.mayKeepPort(f)))
            wrong << QStringLiteral("the port is left open");
        if (op.button != QLatin1String("btnRead")
            && (books->simBook.entries() != simBefore || books->phoneBook.entries() != phoneBefore))
            wrong << QStringLiteral("a book on screen changed");
        if (m_rig->dir().read(QStringLiteral("QXsms.phb")) != m_book)
            wrong << QStringLiteral("the book file changed");

        if (fault == Fault::None) {
            op.commands = sim.commands();
            op.closesPort = !f.ComPort1.isOpen();
        }
        // An operation that leaves the port open keeps it for the next one;
        // the next phone is another device.
        try {
            f.link.closePort();
        } catch (const PortError &) {
        }
        qInfo("%-20s %-13s %-16s %5lld ms, %d box(es)%s%s", qPrintable(op.name), faultName(fault),
              qPrintable(target), took, m_boxes, userGaveUp ? ", Abort pressed" : "",
              wrong.isEmpty() ? "" : " FAILED");
        failure = wrong.join(QStringLiteral("; "));
    }
    // A descriptor the fault-free pass opened for good (the trace, a font)
    // counts as open before every later round.
    QMap<QString, QString> before = m_descriptors;
    before.insert(descriptorsBefore);
    const QStringList leaked = leftOpen(before, openDescriptors());
    if (!leaked.isEmpty())
        failure += QStringLiteral("%1descriptors left open: %2").arg(failure.isEmpty() ? "" : "; ", leaked.join(QStringLiteral(", ")));
    return failure;
}

void TestChaos::everyOperationFaultFree()
{
    // What stays open after this pass is the window's own; what a later
    // round leaves open beyond it is a leak.
    // Every operation runs, whatever an earlier one did: the later rounds
    // need what each one sent.
    QStringList failures;
    for (Operation &op : m_ops) {
        const QString failure = runRound(op, Fault::None, QString(), 0);
        if (!failure.isEmpty())
            failures << op.name + QStringLiteral(": ") + failure;
        if (m_boxes != 0)
            failures << op.name + QStringLiteral(": a box without a fault: ") + m_boxTexts.join(QLatin1Char('|'));
        if (op.commands.isEmpty())
            failures << op.name + QStringLiteral(": nothing reached the phone");
    }
    m_descriptors = openDescriptors();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
}

Operation *byName(QList<Operation> &ops, const QString &name)
{
    for (Operation &op : ops)
        if (op.name == name)
            return &op;
    return nullptr;
}

// Every kind of fault at least once whatever the seed, each where it hurts
// most, and the faults runs have found.
void TestChaos::eachFaultKind_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("target");
    const QList<std::tuple<const char *, Fault, const char *>> rows{
        {"SMS in AT mode", Fault::Silent, ""},
        {"SIM book write", Fault::Error, "AT+CPBW=2"},
        {"SIM book read", Fault::Cme, "AT+CPBR=2"},
        {"info read", Fault::Garbage, "AT+CGMM"},
        {"melody read", Fault::Trickle, ""},
        {"forwarding set", Fault::Late, ""},
        {"SMS as ICQ", Fault::Cut, "AT+CMGS="},
        {"forwarding query", Fault::Vanish, "AT+CCFC=3"},
        {"SMS in binary mode", Fault::StallFrame, ""},
        {"centre set", Fault::BinarySilent, ""},
        {"SMS in binary mode", Fault::Abort, ""},
        {"clock sync", Fault::Gone, ""},
        // Found by earlier runs.
        {"silent mode", Fault::Garbage, "AT*ESIL?"},
        {"key lock", Fault::Late, ""},
        {"SMS as ICQ", Fault::Error, "AT+CSCA?"},
    };
    for (const auto &[operation, fault, target] : rows)
        QTest::addRow("%s under %s", operation, faultName(fault))
            << QString::fromLatin1(operation) << int(fault) << QString::fromLatin1(target);
}

void TestChaos::eachFaultKind()
{
    QFETCH(QString, operation);
    QFETCH(int, fault);
    QFETCH(QString, target);
    Operation *op = byName(m_ops, operation);
    QVERIFY(op);
    const QString failure = runRound(*op, Fault(fault), target, 150);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestChaos::randomFaults()
{
    const uint seed = qEnvironmentVariableIsSet("MIRVAK_CHAOS_SEED") ? qEnvironmentVariable("MIRVAK_CHAOS_SEED").toUInt()
                                                                     : 20261208u;
    const int rounds = qEnvironmentVariableIsSet("MIRVAK_CHAOS_ROUNDS") ? qEnvironmentVariableIntValue("MIRVAK_CHAOS_ROUNDS")
                                                                        : DefaultRounds;
    m_random.seed(seed);
    QStringList failures;
    for (int round = 1; round <= rounds; ++round) {
        Operation &op = m_ops[int(m_random() % uint(m_ops.size()))];
        if (op.commands.isEmpty())
            QFAIL(qPrintable(op.name + QStringLiteral(" did not run without faults")));
        QList<Fault> kinds{Fault::Silent, Fault::Error, Fault::Cme, Fault::Garbage, Fault::Trickle, Fault::Late,
                           Fault::Cut, Fault::Vanish, Fault::Abort, Fault::Gone};
        if (op.binary)
            kinds << Fault::StallFrame << Fault::StallFrame << Fault::BinarySilent;
        const Fault fault = kinds[int(m_random() % uint(kinds.size()))];
        const QString target = op.commands[int(m_random() % uint(op.commands.size()))].trimmed();
        const int abortAfter = int(m_random() % 400);
        const QString failure = runRound(op, fault, target, abortAfter);
        if (!failure.isEmpty())
            failures << QStringLiteral("seed %1 round %2: %3 under %4 %5: %6")
                            .arg(seed).arg(round).arg(op.name, QString::fromLatin1(faultName(fault)), target, failure);
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestChaos)
#include "tst_chaos.moc"
