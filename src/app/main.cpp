// SPDX-License-Identifier: GPL-2.0-or-later
// Program entry: options, the application object, the main window, the loop.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

#include "gui/window/AboutPage.h"
#include "app/DemoPhone.h"
#include "gui/window/MainWindow.h"

namespace {

const char Usage[] =
    "Usage: mirvak [--demo] [--data-dir] [--archive FILE] [Qt options]\n"
    "Manages an Ericsson T28-class GSM phone over a serial data cable.\n"
    "\n"
    "  --demo      start the simulated phone (mirvak-phonesim) and use it as COM1\n"
    "  --data-dir  keep the book file in $XDG_DATA_HOME/mirvak (created if missing)\n"
    "  --archive FILE  keep the message archive in FILE (default: messages.sqlite\n"
    "              beside the book file)\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "COM1, COM2, ... are the serial devices /dev/ttyUSB*, /dev/ttyACM*, then the\n"
    "/dev/ttyS* with a real UART, in that order; MIRVAK_COM1..MIRVAK_COM16 name a\n"
    "device directly. The book file QXsms.phb lives in the current folder.\n"
    "mirvak-cli does the same phone work from a shell.\n";

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP close the windows the ordinary way, so the port
// is released, a changed port choice is saved and the demo phone is stopped.
// The signal only leaves a byte in a socket; the event loop does the rest,
// so a signal that comes during start-up is handled once the window is up.
void closeOnTerminationSignals(QObject *owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[1], &byte, 1);
        QApplication::closeAllWindows();
    });
    struct sigaction sa = {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

void printVersion()
{
    std::printf("mirvak %s (%s)\n", qPrintable(AboutPage::Version), MIRVAK_VERSION);
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before the window system is touched, so they work without a display.
    bool demo = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            printVersion();
            return 0;
        }
        if (!std::strcmp(argv[i], "--demo"))
            demo = true;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("mirvak"));
    QApplication::setApplicationVersion(AboutPage::Version);
    // Lets the desktop match the window to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(MIRVAK_APP_ID));
    QApplication::setWindowIcon(QIcon(AboutPage::logo(2.0)));

    // Qt has taken its own options out of argv; whatever else is left is a mistake.
    const QStringList rest = app.arguments().mid(1);
    bool dataDir = false;
    QString archive;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString &arg = rest.at(i);
        if (arg == QLatin1String("--data-dir")) {
            dataDir = true;
            continue;
        }
        if (arg == QLatin1String("--archive") && i + 1 < rest.size()) {
            // Named from where the program was started, before --data-dir moves it.
            archive = QDir().absoluteFilePath(rest.at(++i));
            continue;
        }
        if (arg.startsWith(QLatin1String("--archive="))) {
            archive = QDir().absoluteFilePath(arg.mid(10));
            continue;
        }
        if (arg != QLatin1String("--demo")) {
            std::fprintf(stderr, "mirvak: unknown argument \"%s\"\n%s", qPrintable(arg), Usage);
            return 2;
        }
    }

    // The menu starts programs in the home folder; the book file belongs in
    // the data folder instead. A folder that cannot be made leaves the book
    // where it would have been, and says so.
    if (dataDir) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                               + QStringLiteral("/mirvak");
        if (!QDir().mkpath(folder) || !QDir::setCurrent(folder))
            std::fprintf(stderr, "mirvak: cannot use %s; the book file stays in %s\n", qPrintable(folder),
                         qPrintable(QDir::currentPath()));
    }

    closeOnTerminationSignals(&app);

    std::unique_ptr<DemoPhone> phone;
    QString demoError;
    if (demo) {
        phone = std::make_unique<DemoPhone>();
        if (phone->start(QApplication::applicationDirPath(), &demoError)) {
            std::fprintf(stderr, "mirvak: simulated phone on %s is COM1\n", qPrintable(phone->device()));
        } else {
            std::fprintf(stderr, "mirvak: the simulated phone could not be started: %s\n"
                                 "mirvak: running without it.\n",
                         qPrintable(demoError));
            phone.reset();
        }
    }

    int rc;
    {
        MainWindow form;
        if (!archive.isEmpty())
            form.setArchivePath(archive);
        form.show();
        // For start-up measurements: the window closes the ordinary way once
        // the event loop has shown it.
        if (qEnvironmentVariableIsSet("MIRVAK_QUIT_WHEN_SHOWN"))
            QTimer::singleShot(0, &form, &QWidget::close);
        if (demo && !phone) {
            // Told once the loop runs, without holding up the window.
            auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("mirvak"),
                                        QStringLiteral("The simulated phone could not be started:\n%1\n\n"
                                                       "Mirvak runs without it.")
                                            .arg(demoError),
                                        QMessageBox::Ok, &form);
            box->setObjectName(QStringLiteral("demoFailure"));
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
        }
        rc = app.exec();
    }
    // The window has closed its port before the phone goes away.
    phone.reset();
    return rc;
}
