// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/melodies/MelodiesPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>

#include "gui/common/Buttons.h"
#include "gui/common/FirstShow.h"
#include "gui/common/Palette.h"
#include "gui/common/TypingLimit.h"
#include "gui/melodies/MelodyComposer.h"
#include "gui/melodies/PhoneMelodiesControls.h"
#include "gui/melodies/PianoKey.h"
#include "link/PhoneLink.h"

namespace {

constexpr int TypedTuneLength = 120;
constexpr int TypedRingCode = 2;

QPushButton *glyphButton(QWidget *parent, const char *name, QStyle::StandardPixmap glyph, const QString &hint,
                         const QRect &where)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(Buttons::standardIcon(parent, glyph));
    b->setToolTip(hint);
    b->setGeometry(where);
    return b;
}

QPushButton *captionButton(QWidget *parent, const QString &name, const QString &caption, const QString &hint,
                           const QRect &where)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setGeometry(where);
    return b;
}

QComboBox *silverCombo(QWidget *parent, const char *name, const QRect &where)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(where);
    Palette::paint(c, Palette::Silver);
    return c;
}

} // namespace

MelodiesPage::MelodiesPage(PhoneLink &link, MelodyPlayer &bleeper, PhoneMelodies &melodies, PersonalRings &rings,
                           QWidget *parent)
    : QWidget(parent), m_link(link)
{
    setObjectName(QStringLiteral("Panel3"));
    buildTuneRows();
    buildRingRow();
    buildComposer();
    buildFileGroup();

    m_composer = std::make_unique<MelodyComposer>(*this, link, bleeper);
    m_phone = std::make_unique<PhoneMelodiesControls>(*this, link, melodies, rings, *m_composer);
}

MelodiesPage::~MelodiesPage() = default;

void MelodiesPage::buildTuneRows()
{
    for (int k = 0; k < Slots; ++k) {
        const QString n = QString::number(k + 1);
        const int y = 2 + 22 * k;
        gsmPlay[k] = captionButton(this, "gsmPlay" + n, n, "Play My-Melody " + n + " currently in phone",
                                   QRect(2, y, 20, 21));

        editTune[k] = new QLineEdit(this);
        editTune[k]->setObjectName("editTune" + n);
        editTune[k]->setToolTip("Melody " + n);
        editTune[k]->setAccessibleName("Melody " + n);
        editTune[k]->setGeometry(24, y, 222, 21);
        editTune[k]->setValidator(new TypingLimit(editTune[k], TypedTuneLength));
        Palette::paint(editTune[k], Palette::Silver);

        // The Stop button lies beneath; hiding Play uncovers it.
        TuneStop[k] = glyphButton(this, "", QStyle::SP_MediaStop, QString(), QRect(248, y, 22, 21));
        TuneStop[k]->setObjectName("TuneStop" + n);
        Play[k] = glyphButton(this, "", QStyle::SP_MediaPlay, QString(), QRect(248, y, 22, 21));
        Play[k]->setObjectName("Play" + n);

        ok[k] = captionButton(this, "ok" + n, QStringLiteral("Store"), "Write Melody " + n + " to phone",
                              QRect(272, y, 54, 21));
        ok[k]->setEnabled(false);
    }
}

void MelodiesPage::buildRingRow()
{
    const int y = 92;
    btnReadMelodies = Buttons::readButton(this, "btnReadMelodies", QStringLiteral("Read melodies from Phone"));
    btnReadMelodies->move(2, y - 1);

    CallList = silverCombo(this, "CallList", QRect(28, y, 74, 22));
    CallList->setAccessibleName(QStringLiteral("Call Type"));
    CallList->addItems({QStringLiteral(" Call Type"), QStringLiteral(" Voice"), QStringLiteral(" Data"),
                        QStringLiteral(" Fax"), QStringLiteral("Alarm")});

    for (int k = 0; k < Slots; ++k) {
        const QString n = QString::number(k + 1);
        Use[k] = captionButton(this, "Use" + n, n, QString(), QRect(104 + 20 * k, y, 19, 22));
    }

    ComboRings2 = silverCombo(this, "ComboRings2", QRect(186, y, 46, 22));
    ComboRings2->setEditable(true);
    ComboRings2->setInsertPolicy(QComboBox::NoInsert);
    ComboRings2->lineEdit()->setValidator(new TypingLimit(ComboRings2->lineEdit(), TypedRingCode));
    ComboRings2->setToolTip(QStringLiteral("Select ring type (Own-Melodies are 3x)"));
    ComboRings2->setAccessibleName(QStringLiteral("Ring type"));
    Palette::paint(ComboRings2, Palette::Silver);

    PlayCombo = glyphButton(this, "PlayCombo", QStyle::SP_MediaVolume, QString(), QRect(234, y, 44, 22));
    PlayCombo->setEnabled(false);
    UseCombo = glyphButton(this, "UseCombo", QStyle::SP_DialogApplyButton, QString(), QRect(280, y, 46, 22));
    UseCombo->setEnabled(false);
}

void MelodiesPage::buildComposer()
{
    const int y = 118;
    BitBtn8 = glyphButton(this, "BitBtn8", QStyle::SP_MediaStop, QString(), QRect(2, y, 24, 22));
    PlayCustom = glyphButton(this, "PlayCustom", QStyle::SP_MediaPlay, QStringLiteral("Play custom tune"),
                             QRect(2, y, 24, 22));
    btnPause = captionButton(this, QStringLiteral("btnPause"), QStringLiteral("P"), QStringLiteral("Pause"),
                             QRect(28, y, 22, 22));
    BitBtn9 = glyphButton(this, "BitBtn9", QStyle::SP_DialogResetButton, QStringLiteral("Clear"),
                          QRect(52, y, 24, 22));
    btnDel = glyphButton(this, "btnDel", QStyle::SP_ArrowBack, QStringLiteral("Del"), QRect(78, y, 24, 22));

    chkLong = new QCheckBox(QStringLiteral("Long"), this);
    chkLong->setObjectName(QStringLiteral("chkLong"));
    chkLong->setGeometry(108, y + 2, 60, 18);

    keyboard = new PianoKeyboard(this);
    keyboard->setGeometry(2, y + 24, PianoKeyboard::Width, PianoKeyboard::Height);
    keyboard->showHints(false);

    const int lineY = y + 24 + PianoKeyboard::Height + 2;
    editCompose = new QLineEdit(this);
    editCompose->setObjectName(QStringLiteral("editCompose"));
    editCompose->setAccessibleName(QStringLiteral("Compose"));
    editCompose->setGeometry(2, lineY, 232, 21);
    Palette::paint(editCompose, Palette::Silver);
    const char *names[Slots] = {"Load5", "Load6", "load7", "Load8"};
    for (int k = 0; k < Slots; ++k) {
        const QString n = QString::number(k + 1);
        composeToTune[k] = captionButton(this, QString::fromLatin1(names[k]), n, "Move to Tune-" + n + " box",
                                         QRect(236 + 23 * k, lineY, 21, 21));
    }
}

void MelodiesPage::buildFileGroup()
{
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(2, 218, 325, 44);
    btnLoadTunes = glyphButton(GroupBox1, "btnLoadTunes", QStyle::SP_DialogOpenButton,
                               QStringLiteral("Open Melody file"), QRect(4, 14, 24, 22));
    TuneList = silverCombo(GroupBox1, "TuneList", QRect(30, 14, 170, 22));
    TuneList->setEditable(true);
    TuneList->setInsertPolicy(QComboBox::NoInsert);
    Palette::paint(TuneList, Palette::Silver);
    TuneList->setEditText(QStringLiteral(" Load File"));
    TuneList->setAccessibleName(QStringLiteral("Melody file"));
    TuneStop5 = glyphButton(GroupBox1, "TuneStop5", QStyle::SP_MediaStop, QString(), QRect(202, 14, 24, 22));
    PlayFile = glyphButton(GroupBox1, "PlayFile", QStyle::SP_MediaPlay, QStringLiteral("Play tune"),
                           QRect(202, 14, 24, 22));
    for (int k = 0; k < Slots; ++k) {
        const QString n = QString::number(k + 1);
        fileToTune[k] = captionButton(GroupBox1, "Load" + n, n, "Move to Tune-" + n + " box",
                                      QRect(229 + 23 * k, 14, 21, 22));
    }

    FirstShow::whenShown(this, [this] { makeFileDialogs(); });
}

void MelodiesPage::makeFileDialogs()
{
    if (OpenTunes)
        return;
    OpenTunes = new QFileDialog(this);
    OpenTunes->setObjectName(QStringLiteral("OpenTunes"));
    OpenTunes->setAcceptMode(QFileDialog::AcceptOpen);
    OpenTunes->setFileMode(QFileDialog::ExistingFile);
    OpenTunes->setOption(QFileDialog::DontUseNativeDialog);
    // Ringtones from the public collections open beside the notation's files.
    OpenTunes->setNameFilters({QStringLiteral("Melody files (*.txt *.nmp *.rtttl *.rtx *.emy)"),
                               QStringLiteral("Melody/Text Files (*.txt *.nmp)"),
                               QStringLiteral("RTTTL files (*.rtttl *.rtx *.txt)"),
                               QStringLiteral("eMelody files (*.emy)"), QStringLiteral("All Files (*)")});

    SaveTunes = new QFileDialog(this);
    SaveTunes->setObjectName(QStringLiteral("SaveTunes"));
    SaveTunes->setAcceptMode(QFileDialog::AcceptSave);
    SaveTunes->setFileMode(QFileDialog::AnyFile);
    SaveTunes->setOption(QFileDialog::DontUseNativeDialog);
}

void MelodiesPage::chooseVoice()
{
    m_phone->chooseVoice();
}

void MelodiesPage::mousePressEvent(QMouseEvent *event)
{
    // Taken here, so the release comes back to the page.
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QWidget::mousePressEvent(event);
}

void MelodiesPage::mouseReleaseEvent(QMouseEvent *event)
{
    // Only a press and release both on the page make a click. Idle, there
    // is nothing to abort, and a flag left set would only wait for the
    // next operation.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())
        && m_link.operationRunning())
        m_link.requestAbort();
    QWidget::mouseReleaseEvent(event);
}
