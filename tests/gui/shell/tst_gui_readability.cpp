// SPDX-License-Identifier: GPL-2.0-or-later
// Every page a user can reach, looked at with values read from the phone in
// its boxes, under the desktop's own palette and under a dark one, and again
// after the other one is switched on while the window is up: no text cut
// off, no control lying on another, no text too faint to read.
#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QScopeGuard>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "FormRig.h"
#include "Readability.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/settings/SettingsPage.h"

namespace {

// The button that fills a panel or page with what the phone holds.
const QStringList ReadButtons{"btnRead",    "btnReadMelodies", "btnInboxRead", "BtnSet1",       "btnSet2",  "btnProfiles",
                              "btnGetVoice", "btnGetAllData",  "btnGetAllFax", "btnCWs",   "btnGetPR",
                              "btngetClock", "btnInfo", "btnCallsRead"};

} // namespace

class ReadabilityWalk : public QObject {
    Q_OBJECT

private slots:
    void walk_data();
    void walk();
};

void ReadabilityWalk::walk_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("desktop") << false;
    QTest::newRow("dark") << true;
}

void ReadabilityWalk::walk()
{
    QFETCH(bool, dark);
    const QPalette desktop = QApplication::palette();
    if (dark)
        QApplication::setPalette(readability::darkPalette());
    const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });

    guitest::FormRig rig;
    QVERIFY(rig.startPhone({}, QJsonObject{{"ownMelodies", QJsonObject{{"1", "+c+cbagab+c"}, {"3", "Cdef#gG"}}}}));
    QStringList dialogs;
    guitest::Dialogs watcher([&](QWidget *d) {
        dialogs << guitest::dialogText(d);
        guitest::answerAsUser(d);
    });
    rig.openWindow(Tab::Sms);
    MainWindow &form = *rig.form;

    QStringList faults;
    // A panel still on the button face of a theme switched away from reads,
    // but stands out of the new one.
    QColor goneFace;
    const auto look = [&](const QString &where) {
        QApplication::processEvents(); // the shown page lays itself out
        for (const QString &f : readability::faults(&form))
            faults << where + QStringLiteral(": ") + f;
        for (const QWidget *w : form.findChildren<QWidget *>())
            if (w->isVisible() && w->autoFillBackground() && w->palette().color(w->backgroundRole()) == goneFace)
                faults << where + QStringLiteral(": ") + w->objectName() + QStringLiteral(" keeps the old face");
    };
    const auto read = [&](QWidget *page) {
        for (const QString &name : ReadButtons)
            for (QPushButton *b : page->findChildren<QPushButton *>(name))
                if (b->isVisible() && b->isEnabled())
                    QTest::mouseClick(b, Qt::LeftButton); // returns when the read has ended
    };

    auto *tabs = rig.find<QTabBar>(QStringLiteral("mainTabs"));
    auto *books = rig.find<QTabWidget>(QStringLiteral("Tabs"));
    auto *settings = rig.find<SettingsPage>(QStringLiteral("Panel4"));
    auto *tree = rig.find<QTreeWidget>(QStringLiteral("Tree"));
    // Every page and panel once; the first time round each is filled from
    // the phone, later rounds look again at what it shows.
    const auto everyPage = [&](const QString &round, bool fill) {
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            const QString tab = round + tabs->tabText(t);
            if (tabs->currentIndex() == int(Tab::Phonebooks)) {
                for (int b = 0; b < books->count(); ++b) {
                    books->setCurrentIndex(b);
                    if (fill)
                        read(books->currentWidget());
                    look(tab + QLatin1Char('/') + books->tabText(b));
                }
            } else if (tabs->currentIndex() == int(Tab::Settings)) {
                for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                    tree->setCurrentItem(*it);
                    if (fill)
                        read(settings->currentPanel());
                    look(tab + QLatin1Char('/') + (*it)->text(0));
                }
            } else {
                QApplication::processEvents();
                if (fill)
                    read(form.findChildren<QStackedWidget *>(QStringLiteral("mainPages")).value(0)->currentWidget());
                look(tab);
            }
            // The SMS page for the README, as a dark desktop shows it.
            if (const QString shots = qEnvironmentVariable("MIRVAK_SHELL_SCREENSHOTS");
                fill && dark && t == int(Tab::Sms) && !shots.isEmpty())
                QVERIFY(form.grab().save(QDir(shots).filePath(QStringLiteral("sms-dark.png"))));
        }
    };
    everyPage(QString(), true);
    // The desktop's theme switched while the window is up, and back: colours
    // worked out from the palette must follow it.
    const QPalette first = QApplication::palette();
    goneFace = first.color(QPalette::Button);
    QApplication::setPalette(dark ? desktop : readability::darkPalette());
    everyPage(QStringLiteral("switched, "), false);
    goneFace = QApplication::palette().color(QPalette::Button);
    QApplication::setPalette(first);
    everyPage(QStringLiteral("switched back, "), false);
    for (const QString &f : faults)
        qWarning().noquote() << f;
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 faults, listed above").arg(faults.size())));
    QVERIFY2(dialogs.isEmpty(), qPrintable(dialogs.join(QLatin1Char('\n'))));

    // The look sees a box made too narrow, a label moved onto its box and a
    // text painted too faint.
    tabs->setCurrentIndex(int(Tab::Settings));
    settings->selectNode(QStringLiteral("Clock"));
    QApplication::processEvents();
    auto *clock = rig.find<QLineEdit>(QStringLiteral("txtClock"));
    auto *label = rig.find<QLabel>(QStringLiteral("StaticText2"));
    clock->resize(clock->width() / 3, clock->height());
    label->move(clock->pos());
    QPalette faint = label->palette();
    faint.setColor(QPalette::WindowText, faint.color(QPalette::Window));
    label->setPalette(faint);
    const QString seen = readability::faults(&form).join(QLatin1Char('\n'));
    QVERIFY2(seen.contains(QLatin1String("txtClock: \"")), qPrintable(seen));
    QVERIFY2(seen.contains(QRegularExpression(QStringLiteral("StaticText2: lies over|lies over \\S*StaticText2"))),
             qPrintable(seen));
    QVERIFY2(seen.contains(QLatin1String("contrast 1.00:1")), qPrintable(seen));
}

QTEST_MAIN(ReadabilityWalk)
#include "tst_gui_readability.moc"
