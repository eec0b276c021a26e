// SPDX-License-Identifier: GPL-2.0-or-later
// The Load and Save buttons of the Phonebooks page (the book files, and
// *.pbk, vCard and CSV phonebooks), and the menus of the SIM and phone grids
// with their entry actions.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "core/at/Charset.h"
#include "core/at/ReplyParse.h"
#include "core/phonebooks/ContactFile.h"
#include "core/phonebooks/CsvBookFile.h"
#include "core/phonebooks/PbkFile.h"
#include "core/phonebooks/VCardFile.h"
#include "gui/common/BookTableModel.h"
#include "gui/common/FirstShow.h"
#include "gui/common/Flash.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/messaging/SmsBooks.h"
#include "gui/phonebooks/PhonebooksPage.h"
#include "link/PhoneLink.h"

namespace {
QFileDialog *fileDialog(const QString &name, QFileDialog::AcceptMode mode, QFileDialog::FileMode files,
                        QWidget *parent)
{
    auto *d = new QFileDialog(parent);
    d->setObjectName(name);
    d->setAcceptMode(mode);
    d->setFileMode(files);
    d->setOption(QFileDialog::DontUseNativeDialog);
    return d;
}

QAction *menuItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

// Both dialogs offer the same filters, set anew before each showing; the
// first is the default.
enum class BookFormat { Pbk, VCard, Csv };
const QStringList BookFilters{QStringLiteral("Phonebook files (*.pbk)"), QStringLiteral("vCard files (*.vcf)"),
                              QStringLiteral("CSV files (*.csv)"), QStringLiteral("All Files (*)")};

// A typed extension picks the format; without one the chosen filter does.
BookFormat formatOf(const QString &path, const QString &filter)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("vcf") || (suffix != QLatin1String("pbk") && suffix != QLatin1String("csv")
                                           && filter == BookFilters.at(1)))
        return BookFormat::VCard;
    if (suffix == QLatin1String("csv") || (suffix != QLatin1String("pbk") && filter == BookFilters.at(2)))
        return BookFormat::Csv;
    return BookFormat::Pbk;
}

// A name typed without an extension under the vCard or CSV filter gets it,
// so other programs find the file; a *.pbk name is taken as typed, as it
// always was.
void followFilter(QFileDialog *dialog, const QString &filter)
{
    dialog->setDefaultSuffix(filter == BookFilters.at(1)   ? QStringLiteral("vcf")
                             : filter == BookFilters.at(2) ? QStringLiteral("csv")
                                                           : QString());
}

// A load replaces the grid; the copy is emptied over the grid's old row
// count, as the grid is, and then holds exactly what the grid shows, so
// "Update" writes nothing and "Write" writes every row.
void takeLoaded(const BookSide &side, const PhonebookEntries &rows, bool grew)
{
    PhonebookModel &book = *side.book;
    PhonebookEntries &copy = *side.copy;
    book.setEntries(rows);
    for (int r = 1; r <= qMin(book.count() + 1, copy.count()); ++r)
        copy.set(r, rows.at(r));
    if (grew)
        side.showRowCount();
}
} // namespace

void PhonebooksPage::makeFileDialogs()
{
    if (OpenFile)
        return;
    OpenFile = fileDialog(QStringLiteral("OpenFile"), QFileDialog::AcceptOpen, QFileDialog::ExistingFile, this);
    SaveFile = fileDialog(QStringLiteral("SaveFile"), QFileDialog::AcceptSave, QFileDialog::AnyFile, this);
    connect(SaveFile, &QFileDialog::filterSelected, SaveFile, [this](const QString &f) { followFilter(SaveFile, f); });
}

void PhonebooksPage::setUpFilesAndMenus()
{
    FirstShow::whenShown(this, [this] { makeFileDialogs(); });
    connect(btnLoad, &QPushButton::clicked, this, &PhonebooksPage::btnLoadClick);
    connect(btnSave, &QPushButton::clicked, this, &PhonebooksPage::btnSaveClick);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    MenuCopy = menuItem(PopupMenu, QStringLiteral("MenuCopy"), QStringLiteral("Copy entry to SMS book"));
    UseEntry1forSMS1 = menuItem(PopupMenu, QStringLiteral("UseEntry1forSMS1"), QStringLiteral("Use entry for SMS"));
    UseSIMforPR = menuItem(PopupMenu, QStringLiteral("UseSIMforPR"), QStringLiteral("Use entry in Personal-Rings"));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    MenuCopy2 = menuItem(PopupMenu1, QStringLiteral("MenuCopy2"), QStringLiteral("Copy entry to SMS book"));
    UseEntry1ForSMS2 = menuItem(PopupMenu1, QStringLiteral("UseEntry1ForSMS2"), QStringLiteral("Use entry for SMS"));
    UsePhoneforPR =
        menuItem(PopupMenu1, QStringLiteral("UsePhoneforPR"), QStringLiteral("Use entry in Personal-Rings"));
    connect(MenuCopy, &QAction::triggered, this, &PhonebooksPage::MenuCopyClick);
    connect(UseEntry1forSMS1, &QAction::triggered, this, &PhonebooksPage::Useentry1forSMS1Click);
    connect(UseSIMforPR, &QAction::triggered, this, &PhonebooksPage::UseSIMforPRClick);
    connect(MenuCopy2, &QAction::triggered, this, &PhonebooksPage::MenuCopy2Click);
    connect(UseEntry1ForSMS2, &QAction::triggered, this, &PhonebooksPage::Useentry1forSMS2Click);
    connect(UsePhoneforPR, &QAction::triggered, this, &PhonebooksPage::UsePhoneforPRClick);

    SimGrid->viewport()->installEventFilter(this);
    PhoneGrid->viewport()->installEventFilter(this);
}

void PhonebooksPage::showError(const QString &name, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), text, QMessageBox::Ok, this);
    box.setObjectName(name);
    box.exec();
}

void PhonebooksPage::btnSaveClick()
{
    const BookSide *side = shownSide();
    if (!side) {
        const bool sms = Tabs->currentIndex() == SmsTab;
        const bool ok = m_books.SaveSMSICQ(sms);
        btnSave->setToolTip(ok ? (sms ? QStringLiteral("Save SMS book to disk") : QStringLiteral("Save ICQ book to disk"))
                               : m_books.lastError);
        flash(m_link, {SMSgrid, ICQgrid}, ok ? Palette::Lime : Palette::Red, m_link.timing().flash);
        return;
    }

    makeFileDialogs();
    SaveFile->setNameFilters(BookFilters);
    SaveFile->selectNameFilter(BookFilters.constFirst());
    followFilter(SaveFile, BookFilters.constFirst());
    if (SaveFile->exec() != QDialog::Accepted || SaveFile->selectedFiles().isEmpty())
        return;
    const QString path = SaveFile->selectedFiles().constFirst();
    const PhonebookEntries &entries = side->book->entries();
    QString error;
    bool saved = false;
    switch (formatOf(path, SaveFile->selectedNameFilter())) {
    case BookFormat::Pbk:
        saved = PbkFile::save(path, entries, &error);
        break;
    case BookFormat::VCard:
        saved = VCardFile::save(path, entries, &error);
        break;
    case BookFormat::Csv:
        saved = CsvBookFile::save(path, entries, &error);
        break;
    }
    if (!saved)
        showError(QStringLiteral("msgSaveFailed"), error);
}

void PhonebooksPage::btnLoadClick()
{
    const BookSide *side = shownSide();
    if (!side)
        return;
    makeFileDialogs();
    OpenFile->setNameFilters(BookFilters);
    OpenFile->selectNameFilter(BookFilters.constFirst());
    if (OpenFile->exec() != QDialog::Accepted || OpenFile->selectedFiles().isEmpty())
        return;
    const QString path = OpenFile->selectedFiles().constFirst();
    const QString shown = QDir::toNativeSeparators(path);

    // The grid is emptied only once the file is open: a file that cannot be
    // read must not cost the book on the screen. A pipe or a device could
    // block the window or never end.
    if (!QFileInfo(path).isFile()) {
        showError(QStringLiteral("msgLoadFailed"), QStringLiteral("%1 is not a file.").arg(shown));
        return;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        showError(QStringLiteral("msgLoadFailed"), QStringLiteral("Cannot read %1: %2").arg(shown, in.errorString()));
        return;
    }
    const BookFormat format = formatOf(path, OpenFile->selectedNameFilter());
    if (format == BookFormat::Pbk) {
        const PbkFile::Loaded loaded = PbkFile::read(in, side->book->count());
        takeLoaded(*side, loaded.rows, loaded.grew);
        return;
    }

    // A file of another program: what could not be taken as it was is
    // named in one message at the end.
    const ContactFile::Parsed parsed = format == BookFormat::VCard ? VCardFile::read(in) : CsvBookFile::read(in);
    if (!parsed.known) {
        showError(QStringLiteral("msgLoadFailed"), QStringLiteral("Cannot load %1: %2").arg(shown, parsed.problem));
        return;
    }
    const ContactFile::Imported imported = ContactFile::place(parsed, side->book->count(), askLimits(*side));
    QString text = ContactFile::report(imported, QFileInfo(path).fileName());
    // A file without one entry the phone could hold costs the grid nothing.
    if (imported.read > 0)
        takeLoaded(*side, imported.rows, imported.grew);
    else
        text += QStringLiteral("\n\nThe book was left as it was.");
    QMessageBox box(QMessageBox::Information, QStringLiteral("Load"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgLoadReport"));
    box.exec();
}

PhonebookAt::Limits PhonebooksPage::askLimits(const BookSide &side)
{
    PhonebookAt::Limits limits;
    // A file is often loaded with no phone on the cable: a port that does
    // not open is no error here.
    const OperationGuard op(m_link, Tab::Phonebooks);
    if (!op || !(m_link.connected() || m_link.openSilently()))
        return limits;
    m_link.runGuarded([&] {
        const PhonebookTransfer::Run run = m_transfer.range(side.storage);
        limits = run.limits;
        // A phone that did not answer the selection is not asked again to
        // take the SIM book back.
        if (run.complete())
            m_transfer.finish();
        else
            m_link.closePort();
    });
    return limits;
}

bool PhonebooksPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (const BookSide *side : {&m_sim, &m_phone}) {
            if (watched != side->grid->viewport())
                continue;
            auto *press = static_cast<QMouseEvent *>(event);
            const QModelIndex at = side->grid->indexAt(press->position().toPoint());
            if (!at.isValid())
                break;
            gridMouseDown(*side, at.row(), at.column(), press->button(), press->globalPosition().toPoint());
            // The menu is open; the view must not start a selection under it.
            if (press->button() == Qt::RightButton && at.row() >= 1 && at.column() >= 1)
                return true;
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PhonebooksPage::SimGridMouseDown(int row, int column, Qt::MouseButton button, const QPoint &globalPos)
{
    gridMouseDown(m_sim, row, column, button, globalPos);
}

void PhonebooksPage::PhoneGridMouseDown(int row, int column, Qt::MouseButton button, const QPoint &globalPos)
{
    gridMouseDown(m_phone, row, column, button, globalPos);
}

void PhonebooksPage::gridMouseDown(const BookSide &side, int row, int column, Qt::MouseButton button,
                                   const QPoint &globalPos)
{
    if (row < 1 || column < 1 || row >= side.table->rowCount() || column >= side.table->columnCount())
        return;
    side.grid->setCurrentIndex(side.table->index(row, column));
    const QString n = QString::number(row);
    side.copyItem->setText(QStringLiteral("Copy entry ") + n + QStringLiteral(" to SMS book"));
    side.smsItem->setText(QStringLiteral("Use entry ") + n + QStringLiteral(" for SMS"));
    side.ringItem->setText(QStringLiteral("Use entry ") + n + QStringLiteral(" in Personal-Rings"));
    if (button == Qt::RightButton)
        side.menu->popup(globalPos);
}

void PhonebooksPage::copyToSmsBook(const BookSide &side)
{
    const PhonebookEntry *e = side.currentEntry();
    if (e && m_books.copyIntoFreeSmsRow(*e) == 0)
        showError(QStringLiteral("msgSmsBookFull"), side.bookFull);
}

void PhonebooksPage::useForSms(const BookSide &side)
{
    if (const PhonebookEntry *e = side.currentEntry()) {
        const QByteArray number = Reply::trimmed(e->number).leftJustified(16, ' ', true);
        emit smsRecipientChosen(fromPhoneText(number + " - " + Reply::trimmed(e->name).left(20)));
    }
}

void PhonebooksPage::useForPersonalRing(const BookSide &side)
{
    if (const PhonebookEntry *e = side.currentEntry())
        emit personalRingNumberChosen(fromPhoneText(Reply::trimmed(e->number).left(16)));
}

void PhonebooksPage::MenuCopyClick() { copyToSmsBook(m_sim); }
void PhonebooksPage::MenuCopy2Click() { copyToSmsBook(m_phone); }
void PhonebooksPage::Useentry1forSMS1Click() { useForSms(m_sim); }
void PhonebooksPage::Useentry1forSMS2Click() { useForSms(m_phone); }
void PhonebooksPage::UseSIMforPRClick() { useForPersonalRing(m_sim); }
void PhonebooksPage::UsePhoneforPRClick() { useForPersonalRing(m_phone); }
