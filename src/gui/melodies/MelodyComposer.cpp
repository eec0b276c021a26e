#include "gui/melodies/MelodyComposer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <utility>

#include "core/at/Charset.h"
#include "core/melodies/ComposeText.h"
#include "gui/melodies/MelodiesPage.h"
#include "gui/melodies/PianoKey.h"
#include "link/PhoneLink.h"
#include "link/port/LinkTrace.h"
#include "link/sound/MyBleeper.h"

MelodyComposer::MelodyComposer(MelodiesPage &page, PhoneLink &link, MyBleeper &bleeper)
    : m_page(page), m_link(link), m_bleeper(bleeper)
{
    MelodiesPage &p = m_page;
    connect(p.keyboard, &PianoKeyboard::struck, this, &MelodyComposer::keyStruck);
    connect(&m_bleeper, &MyBleeper::keyLit, p.keyboard, &PianoKeyboard::showLit);
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
    QFileDialog *dialog = m_page.OpenTunes;
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    QComboBox *list = m_page.TuneList;
    list->clear();
    list->setEditText(QString());
    // A file that will not open or read just gives fewer lines.
    QFile file(dialog->selectedFiles().constFirst());
    if (file.open(QIODevice::ReadOnly))
        list->addItems(ComposeText::readMelodyLines(file));
    if (list->count() > 0)
        list->setCurrentIndex(0);
}
