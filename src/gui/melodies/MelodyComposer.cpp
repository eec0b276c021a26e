// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/melodies/MelodyComposer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <array>
#include <utility>

#include "core/at/Charset.h"
#include "core/melodies/ComposeText.h"
#include "core/melodies/EMelody.h"
#include "core/melodies/MelodyAt.h"
#include "core/melodies/MelodyFiles.h"
#include "core/melodies/Rtttl.h"
#include "gui/common/Tab.h"
#include "gui/melodies/MelodiesPage.h"
#include "gui/melodies/PianoKey.h"
#include "link/PhoneLink.h"
#include "link/port/LinkTrace.h"
#include "link/sound/MelodyPlayer.h"

MelodyComposer::MelodyComposer(MelodiesPage &page, PhoneLink &link, MelodyPlayer &bleeper)
    : m_page(page), m_link(link), m_bleeper(bleeper)
{
    MelodiesPage &p = m_page;
    connect(p.keyboard, &PianoKeyboard::struck, this, &MelodyComposer::keyStruck);
    connect(&m_bleeper, &MelodyPlayer::keyLit, p.keyboard, &PianoKeyboard::showLit);
    connect(p.chkLong, &QCheckBox::toggled, this, &MelodyComposer::chkLongClick);
    connect(p.btnPause, &QPushButton::clicked, this, &MelodyComposer::btnPauseClick);
    connect(p.BitBtn9, &QPushButton::clicked, this, &MelodyComposer::BitBtn9Click);
    connect(p.btnDel, &QPushButton::clicked, this, &MelodyComposer::btnDelClick);
    connect(p.btnLoadTunes, &QPushButton::clicked, this, &MelodyComposer::btnLoadTunesClick);
    for (int k = 0; k < MelodiesPage::Slots; ++k) {
        connect(p.fileToTune[k], &QPushButton::clicked, this, [this, k] { MoveTune(1 + k); });
        connect(p.composeToTune[k], &QPushButton::clicked, this, [this, k] { MoveTune(5 + k); });
    }
    // The six Play buttons share one routine, and so do the six Stop buttons.
    for (QPushButton *play : {p.Play[0], p.Play[1], p.Play[2], p.Play[3], p.PlayFile, p.PlayCustom})
        connect(play, &QPushButton::clicked, this, [this, play] { playClick(play); });
    for (QPushButton *stop : {p.TuneStop[0], p.TuneStop[1], p.TuneStop[2], p.TuneStop[3], p.TuneStop5, p.BitBtn8})
        connect(stop, &QPushButton::clicked, this, &MelodyComposer::TuneStop1Click);
    for (QLineEdit *box : {p.editTune[0], p.editTune[1], p.editTune[2], p.editTune[3], p.editCompose}) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint &pos) { melodyMenu(box, pos); });
    }
}

void MelodyComposer::playTune(const QByteArray &text)
{
    // The player checks nothing a melody could get wrong; a sound device
    // failing underneath must still not take the window down.
    try {
        m_bleeper.PlayTune(text);
    } catch (const std::exception &e) {
        LinkTrace::op(QStringLiteral("tune failed: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

void MelodyComposer::keyStruck(int k)
{
    if (k < 0 || k >= PianoKeyboard::KeyCount)
        return;
    const PianoKeyboard::KeyInfo &key = PianoKeyboard::Keys[size_t(k)];
    const QByteArray text = ComposeText::keyText(key.index, key.octave, m_page.chkLong->isChecked());
    m_page.editCompose->setText(m_page.editCompose->text() + QString::fromLatin1(text));
    playTune(text);
}

void MelodyComposer::chkLongClick()
{
    m_page.keyboard->showHints(m_page.chkLong->isChecked());
}

void MelodyComposer::btnPauseClick()
{
    m_page.editCompose->setText(m_page.editCompose->text() + u'p');
}

void MelodyComposer::BitBtn9Click()
{
    m_page.editCompose->clear();
}

void MelodyComposer::btnDelClick()
{
    QLineEdit *line = m_page.editCompose;
    if (!line->text().isEmpty())
        line->setText(ComposeText::deleteLastNote(line->text()));
}

void MelodyComposer::MoveTune(int target)
{
    if (target < 1 || target > 10)
        return;
    const bool fromFile = target <= 4 || target == 10;
    const QByteArray source = toPhoneText(fromFile ? m_page.TuneList->currentText() : m_page.editCompose->text());
    if (target >= 9) {
        m_playText = ComposeText::movedMelody(source, ComposeText::MaxPlayText);
        return;
    }
    QLineEdit *box = m_page.editTune[size_t((target - 1) % MelodiesPage::Slots)];
    box->clear();
    box->setText(fromPhoneText(ComposeText::movedMelody(source)));
}

void MelodyComposer::playClick(QPushButton *play)
{
    MelodiesPage &p = m_page;
    {
        const OperationGuard op(m_link, Tab::Melodies);
        if (!op)
            return;
        const std::array<QPushButton *, 6> plays{p.Play[0], p.Play[1], p.Play[2], p.Play[3], p.PlayFile,
                                                 p.PlayCustom};
        p.btnReadMelodies->setEnabled(false);
        m_bleeper.setTuneStopRequested(false);
        m_playing = play;
        play->hide();
        for (QPushButton *other : plays)
            if (other != play)
                other->setEnabled(false);
        p.repaint();

        QByteArray text;
        if (play == p.PlayFile || play == p.PlayCustom) {
            MoveTune(play == p.PlayFile ? 10 : 9);
            text = m_playText;
        } else {
            for (int k = 0; k < MelodiesPage::Slots; ++k)
                if (play == p.Play[k])
                    text = toPhoneText(p.editTune[k]->text());
        }
        playTune(text);

        m_playing = nullptr;
        play->show();
        for (QPushButton *other : plays)
            other->setEnabled(true);
        p.btnReadMelodies->setEnabled(true);
        m_bleeper.setTuneStopRequested(false);
    }
    // The page is free again: now what was pressed during the tune.
    for (const std::function<void()> &action : std::exchange(m_afterTune, {}))
        action();
}

void MelodyComposer::TuneStop1Click()
{
    m_bleeper.setTuneStopRequested(true);
}

void MelodyComposer::stopTuneThen(std::function<void()> action)
{
    if (!tunePlaying()) {
        action();
        return;
    }
    m_bleeper.setTuneStopRequested(true);
    m_afterTune.append(std::move(action));
}

void MelodyComposer::btnLoadTunesClick()
{
    // A tune that plays stops; with none playing the flag stays clear, or
    // it would silence the next key whose first step is a "#".
    if (tunePlaying())
        m_bleeper.setTuneStopRequested(true);
    m_page.makeFileDialogs();
    QFileDialog *dialog = m_page.OpenTunes;
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    const QString path = dialog->selectedFiles().constFirst();
    QComboBox *list = m_page.TuneList;
    list->clear();
    list->setEditText(QString());
    // A file that will not open or read just gives fewer lines. A pipe or
    // a device is no file: reading it could block the window for ever.
    QFile file(path);
    MelodyFiles::Listed listed;
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly))
        listed = MelodyFiles::read(file, MelodyFiles::formatOf(path));
    list->addItems(listed.items);
    if (list->count() > 0)
        list->setCurrentIndex(0);
    if (const QString told = MelodyFiles::message(path, listed); !told.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Melody file"), told, QMessageBox::Ok, &m_page);
        box.setObjectName(QStringLiteral("msgLinesSkipped"));
        box.exec();
    }
}

void MelodyComposer::showError(const QString &name, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), text, QMessageBox::Ok, &m_page);
    box.setObjectName(name);
    box.exec();
}

void MelodyComposer::melodyMenu(QLineEdit *box, const QPoint &pos)
{
    QMenu *menu = box->createStandardContextMenu();
    menu->setObjectName(QStringLiteral("MelodyMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    QAction *rtttl = menu->addAction(QStringLiteral("Save as RTTTL\u2026"));
    rtttl->setObjectName(QStringLiteral("SaveAsRtttl"));
    QAction *emy = menu->addAction(QStringLiteral("Save as eMelody\u2026"));
    emy->setObjectName(QStringLiteral("SaveAsEMelody"));
    const QPointer<QLineEdit> target(box);
    connect(rtttl, &QAction::triggered, this, [this, target] {
        if (target)
            saveMelody(target, SaveFormat::Rtttl);
    });
    connect(emy, &QAction::triggered, this, [this, target] {
        if (target)
            saveMelody(target, SaveFormat::EMelody);
    });
    menu->popup(box->mapToGlobal(pos));
}

void MelodyComposer::saveMelody(QLineEdit *box, SaveFormat format)
{
    // The compose line is saved as it plays, a tune box as it is stored.
    const QByteArray text = toPhoneText(box->text());
    const QByteArray melody =
        MelodyAt::storableMelody(box == m_page.editCompose ? ComposeText::movedMelody(text) : text);
    const bool rtttl = format == SaveFormat::Rtttl;
    // RTTTL needs a note that sounds; eMelody takes any melody.
    if (rtttl ? Rtttl::write(QString(), melody).isEmpty() : melody.isEmpty()) {
        showError(QStringLiteral("msgNothingToSave"), QStringLiteral("There is no melody to save."));
        return;
    }
    // A tune playing from a Play button stops first, rather than hang
    // between two notes for as long as the dialog is open.
    stopTuneThen([this, melody, rtttl] {
        m_page.makeFileDialogs();
        QFileDialog *dialog = m_page.SaveTunes;
        dialog->setNameFilters({rtttl ? QStringLiteral("RTTTL files (*.rtttl)") : QStringLiteral("eMelody files (*.emy)"),
                                QStringLiteral("All Files (*)")});
        dialog->setDefaultSuffix(rtttl ? QStringLiteral("rtttl") : QStringLiteral("emy"));
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return;
        const QString path = dialog->selectedFiles().constFirst();
        // The tune is named after its file, as a collection names its tunes.
        const QString name = QFileInfo(path).completeBaseName();
        const QByteArray bytes = rtttl ? Rtttl::write(name, melody) + "\r\n" : EMelody::write(name, melody);
        QString error;
        if (!MelodyFiles::save(path, bytes, &error))
            showError(QStringLiteral("msgSaveFailed"), error);
    });
}
