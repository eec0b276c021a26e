#include "gui/melodies/MelodiesPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "link/port/LinkTrace.h"
#include "link/sound/MyBleeper.h"
#include "core/at/Charset.h"
#include "link/PhoneLink.h"
#include "core/melodies/ComposeText.h"
#include "link/melodies/PhoneMelodies.h"
#include "link/settings/PersonalRings.h"
#include "gui/common/Flash.h"
#include "gui/common/Palette.h"
#include "gui/common/TypingLimit.h"

namespace {

constexpr int TypedTuneLength = 120;
constexpr int TypedRingCode = 2;

// The keyboard, octave 5 then octave 6, by semitone index.
struct KeyInfo {
    const char *name;
    int index;
    int octave;
};
constexpr KeyInfo Keys[MelodiesPage::KeyCount] = {
    {"cnote", 0, 5},   {"csharp", 1, 5},   {"dnote", 2, 5},   {"dsharp", 3, 5},   {"enote", 4, 5},
    {"fnote", 5, 5},   {"fsharp", 6, 5},   {"gnote", 7, 5},   {"gsharp", 8, 5},   {"anote", 9, 5},
    {"asharp", 10, 5}, {"bnote", 11, 5},   {"hcnote", 0, 6},  {"hcsharp", 1, 6},  {"hdnote", 2, 6},
    {"hdsharp", 3, 6}, {"henote", 4, 6},   {"hfnote", 5, 6},  {"hfsharp", 6, 6},  {"hgnote", 7, 6},
    {"hgsharp", 8, 6}, {"hanote", 9, 6},   {"hasharp", 10, 6}, {"hbnote", 11, 6},
};
// Whether a semitone is a black key, and the white key left of it.
constexpr bool IsBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
constexpr int WhitePosition[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};

constexpr int WhiteWidth = 23;
constexpr int WhiteHeight = 52;
constexpr int BlackWidth = 13;
constexpr int BlackHeight = 32;

QPushButton *glyphButton(QWidget *parent, const char *name, QStyle::StandardPixmap glyph, const QString &hint,
                         const QRect &where)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(parent->style()->standardIcon(glyph));
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

// ---------------------------------------------------------------- keys

PianoKey::PianoKey(bool black, QWidget *parent) : QAbstractButton(parent), m_black(black)
{
    setFocusPolicy(Qt::NoFocus);
    setLit(false);
    if (black)
        connect(this, &QAbstractButton::clicked, this, &PianoKey::struck);
    else
        connect(this, &QAbstractButton::pressed, this, &PianoKey::struck);
}

void PianoKey::setLit(bool lit)
{
    Palette::paint(this, lit ? Palette::Lime : (m_black ? QColor(Qt::black) : QColor(Qt::white)));
    repaint();
}

void PianoKey::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Palette::painted(this));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PianoKey::mousePressEvent(QMouseEvent *event)
{
    // A white key sounds for any button; the base class knows only the left.
    if (!m_black && event->button() != Qt::LeftButton) {
        event->accept();
        emit struck();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

// ---------------------------------------------------------------- page

MelodiesPage::MelodiesPage(PhoneLink &link, MyBleeper &bleeper, PhoneMelodies &melodies, PersonalRings &rings,
                           QWidget *parent)
    : QWidget(parent), m_link(link), m_bleeper(bleeper), m_melodies(melodies)
{
    setObjectName(QStringLiteral("Panel3"));
    buildTuneRows();
    buildRingRow();
    buildComposer();
    buildFileGroup();

    connect(&m_bleeper, &MyBleeper::keyLit, this, &MelodiesPage::showKeyLit);
    // The ring codes are the ones the personal-ring panel reads as well.
    connect(&rings, &PersonalRings::ringCodesChanged, this, &MelodiesPage::showRingCodes);
    showRingCodes(rings.ringCodes(), rings.ringCodesListed());
    // The box is teal only while the ring codes are being read.
    connect(&m_melodies, &PhoneMelodies::ringCodesRead, this,
            [this] { Palette::paint(ComboRings2, Palette::Silver); });
}

void MelodiesPage::buildTuneRows()
{
    for (int k = 0; k < Slots; ++k) {
        const QString n = QString::number(k + 1);
        const int y = 2 + 22 * k;
        gsmPlay[k] = captionButton(this, "gsmPlay" + n, n, "Play My-Melody " + n + " currently in phone",
                                   QRect(2, y, 20, 21));
        connect(gsmPlay[k], &QPushButton::clicked, this, [this, k] { gsmPlayClick(k + 1); });

        editTune[k] = new QLineEdit(this);
        editTune[k]->setObjectName("editTune" + n);
        editTune[k]->setToolTip("Melody " + n);
        editTune[k]->setGeometry(24, y, 222, 21);
        editTune[k]->setValidator(new TypingLimit(editTune[k], TypedTuneLength));
        Palette::paint(editTune[k], Palette::Silver);
        connect(editTune[k], &QLineEdit::textChanged, this, [this, k] { editTuneChange(k + 1); });

        // The Stop button lies beneath; hiding Play uncovers it.
        TuneStop[k] = glyphButton(this, "", QStyle::SP_MediaStop, QString(), QRect(248, y, 22, 21));
        TuneStop[k]->setObjectName("TuneStop" + n);
        Play[k] = glyphButton(this, "", QStyle::SP_MediaPlay, QString(), QRect(248, y, 22, 21));
        Play[k]->setObjectName("Play" + n);

        ok[k] = captionButton(this, "ok" + n, QStringLiteral("Store"), "Write Melody " + n + " to phone",
                              QRect(272, y, 54, 21));
        ok[k]->setEnabled(false);
        connect(ok[k], &QPushButton::clicked, this, [this, k] { okClick(k + 1); });
    }
}

void MelodiesPage::buildRingRow()
{
    const int y = 92;
    btnReadMelodies = glyphButton(this, "btnReadMelodies", QStyle::SP_BrowserReload,
                                  QStringLiteral("Read melodies from Phone"), QRect(2, y, 24, 22));
    connect(btnReadMelodies, &QPushButton::clicked, this, &MelodiesPage::btnReadMelodiesClick);

    CallList = silverCombo(this, "CallList", QRect(28, y, 74, 22));
    CallList->addItems({QStringLiteral(" Call Type"), QStringLiteral(" Voice"), QStringLiteral(" Data"),
                        QStringLiteral(" Fax"), QStringLiteral("Alarm")});
    connect(CallList, &QComboBox::currentIndexChanged, this, &MelodiesPage::CallListChange);

    for (int k = 0; k < Slots; ++k) {
        const QString n = QString::number(k + 1);
        Use[k] = captionButton(this, "Use" + n, n, QString(), QRect(104 + 20 * k, y, 19, 22));
        connect(Use[k], &QPushButton::clicked, this, [this, k] { useClick(k + 1); });
    }

    ComboRings2 = silverCombo(this, "ComboRings2", QRect(186, y, 46, 22));
    ComboRings2->setEditable(true);
    ComboRings2->setInsertPolicy(QComboBox::NoInsert);
    ComboRings2->lineEdit()->setValidator(new TypingLimit(ComboRings2->lineEdit(), TypedRingCode));
    ComboRings2->setToolTip(QStringLiteral("Select ring type (Own-Melodies are 3x)"));
    Palette::paint(ComboRings2, Palette::Silver);
    connect(ComboRings2, &QComboBox::editTextChanged, this, &MelodiesPage::ComboRings2Change);

    PlayCombo = glyphButton(this, "PlayCombo", QStyle::SP_MediaVolume, QString(), QRect(234, y, 44, 22));
    PlayCombo->setEnabled(false);
    connect(PlayCombo, &QPushButton::clicked, this, &MelodiesPage::PlayComboClick);
    UseCombo = glyphButton(this, "UseCombo", QStyle::SP_DialogApplyButton, QString(), QRect(280, y, 46, 22));
    UseCombo->setEnabled(false);
    connect(UseCombo, &QPushButton::clicked, this, &MelodiesPage::UseComboClick);
}

void MelodiesPage::buildComposer()
{
    const int y = 118;
    BitBtn8 = glyphButton(this, "BitBtn8", QStyle::SP_MediaStop, QString(), QRect(2, y, 24, 22));
    PlayCustom = glyphButton(this, "PlayCustom", QStyle::SP_MediaPlay, QStringLiteral("Play custom tune"),
                             QRect(2, y, 24, 22));
    btnPause = captionButton(this, QStringLiteral("btnPause"), QStringLiteral("P"), QStringLiteral("Pause"),
                             QRect(28, y, 22, 22));
    connect(btnPause, &QPushButton::clicked, this, &MelodiesPage::btnPauseClick);
    BitBtn9 = glyphButton(this, "BitBtn9", QStyle::SP_DialogResetButton, QStringLiteral("Clear"),
                          QRect(52, y, 24, 22));
    connect(BitBtn9, &QPushButton::clicked, this, &MelodiesPage::BitBtn9Click);
    btnDel = glyphButton(this, "btnDel", QStyle::SP_ArrowBack, QStringLiteral("Del"), QRect(78, y, 24, 22));
    connect(btnDel, &QPushButton::clicked, this, &MelodiesPage::btnDelClick);

    chkLong = new QCheckBox(QStringLiteral("Long"), this);
    chkLong->setObjectName(QStringLiteral("chkLong"));
    chkLong->setGeometry(108, y + 2, 60, 18);
    connect(chkLong, &QCheckBox::toggled, this, &MelodiesPage::chkLongClick);

    keyboard = new QFrame(this);
    keyboard->setObjectName(QStringLiteral("keyboard"));
    keyboard->setFrameShape(QFrame::NoFrame);
    keyboard->setGeometry(2, y + 24, 14 * WhiteWidth + 1, WhiteHeight);
    // White keys first, so the black ones lie over them.
    for (const bool black : {false, true}) {
        for (int k = 0; k < KeyCount; ++k) {
            const KeyInfo &info = Keys[k];
            if (IsBlack[info.index] != black)
                continue;
            auto *key = new PianoKey(black, keyboard);
            key->setObjectName(QString::fromLatin1(info.name));
            const int whiteX = (WhitePosition[info.index] + 7 * (info.octave - 5)) * WhiteWidth;
            if (black)
                key->setGeometry(whiteX + WhiteWidth - BlackWidth / 2, 0, BlackWidth, BlackHeight);
            else
                key->setGeometry(whiteX, 0, WhiteWidth + 1, WhiteHeight);
            connect(key, &PianoKey::struck, this, [this, k] { keyStruck(k); });
            keys[size_t(k)] = key;
        }
    }
    chkLongClick();

    editCompose = new QLineEdit(this);
    editCompose->setObjectName(QStringLiteral("editCompose"));
    editCompose->setGeometry(2, y + 24 + WhiteHeight + 2, 232, 21);
    Palette::paint(editCompose, Palette::Silver);
    const char *names[Slots] = {"Load5", "Load6", "load7", "Load8"};
    for (int k = 0; k < Slots; ++k) {
        const QString n = QString::number(k + 1);
        composeToTune[k] = captionButton(this, QString::fromLatin1(names[k]), n, "Move to Tune-" + n + " box",
                                         QRect(236 + 23 * k, y + 24 + WhiteHeight + 2, 21, 21));
        connect(composeToTune[k], &QPushButton::clicked, this, [this, k] { MoveTune(5 + k); });
    }
}

void MelodiesPage::buildFileGroup()
{
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(2, 218, 325, 44);
    btnLoadTunes = glyphButton(GroupBox1, "btnLoadTunes", QStyle::SP_DialogOpenButton,
                               QStringLiteral("Open Melody file"), QRect(4, 14, 24, 22));
    connect(btnLoadTunes, &QPushButton::clicked, this, &MelodiesPage::btnLoadTunesClick);
    TuneList = silverCombo(GroupBox1, "TuneList", QRect(30, 14, 170, 22));
    TuneList->setEditable(true);
    TuneList->setInsertPolicy(QComboBox::NoInsert);
    Palette::paint(TuneList, Palette::Silver);
    TuneList->setEditText(QStringLiteral(" Load File"));
    TuneStop5 = glyphButton(GroupBox1, "TuneStop5", QStyle::SP_MediaStop, QString(), QRect(202, 14, 24, 22));
    PlayFile = glyphButton(GroupBox1, "PlayFile", QStyle::SP_MediaPlay, QStringLiteral("Play tune"),
                           QRect(202, 14, 24, 22));
    for (int k = 0; k < Slots; ++k) {
        const QString n = QString::number(k + 1);
        fileToTune[k] = captionButton(GroupBox1, "Load" + n, n, "Move to Tune-" + n + " box",
                                      QRect(229 + 23 * k, 14, 21, 22));
        connect(fileToTune[k], &QPushButton::clicked, this, [this, k] { MoveTune(1 + k); });
    }

    OpenTunes = new QFileDialog(this);
    OpenTunes->setObjectName(QStringLiteral("OpenTunes"));
    OpenTunes->setAcceptMode(QFileDialog::AcceptOpen);
    OpenTunes->setFileMode(QFileDialog::ExistingFile);
    OpenTunes->setOption(QFileDialog::DontUseNativeDialog);
    OpenTunes->setNameFilters({QStringLiteral("Melody/Text Files (*.txt *.nmp)"), QStringLiteral("All Files (*)")});

    // The six Play buttons share one routine, and so do the six Stop buttons.
    for (QPushButton *play : {Play[0], Play[1], Play[2], Play[3], PlayFile, PlayCustom})
        connect(play, &QPushButton::clicked, this, [this, play] { playClick(play); });
    for (QPushButton *stop : {TuneStop[0], TuneStop[1], TuneStop[2], TuneStop[3], TuneStop5, BitBtn8})
        connect(stop, &QPushButton::clicked, this, &MelodiesPage::TuneStop1Click);
}

PianoKey *MelodiesPage::key(int index, int octave) const
{
    if (index < 0 || index >= 12 || (octave != 5 && octave != 6))
        return nullptr;
    return keys[size_t(12 * (octave - 5) + index)];
}

void MelodiesPage::showKeyLit(int index, int octave, bool lit)
{
    if (PianoKey *k = key(index, octave))
        k->setLit(lit);
}

// ---------------------------------------------------------------- composer

void MelodiesPage::playTune(const QByteArray &text)
{
    // The player checks nothing a melody could get wrong; a sound device
    // failing underneath must still not take the window down.
    try {
        m_bleeper.PlayTune(text);
    } catch (const std::exception &e) {
        LinkTrace::op(QStringLiteral("tune failed: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

void MelodiesPage::keyStruck(int k)
{
    if (k < 0 || k >= KeyCount)
        return;
    const QByteArray text = ComposeText::keyText(Keys[k].index, Keys[k].octave, chkLong->isChecked());
    editCompose->setText(editCompose->text() + QString::fromLatin1(text));
    playTune(text);
}

void MelodiesPage::chkLongClick()
{
    for (int k = 0; k < KeyCount; ++k)
        keys[size_t(k)]->setToolTip(
            QString::fromLatin1(ComposeText::keyText(Keys[k].index, Keys[k].octave, chkLong->isChecked())));
}

void MelodiesPage::btnPauseClick()
{
    editCompose->setText(editCompose->text() + u'p');
}

void MelodiesPage::BitBtn9Click()
{
    editCompose->clear();
}

void MelodiesPage::btnDelClick()
{
    if (!editCompose->text().isEmpty())
        editCompose->setText(ComposeText::deleteLastNote(editCompose->text()));
}

void MelodiesPage::MoveTune(int target)
{
    if (target < 1 || target > 10)
        return;
    const bool fromFile = target <= 4 || target == 10;
    const QByteArray source = toPhoneText(fromFile ? TuneList->currentText() : editCompose->text());
    if (target >= 9) {
        m_playText = ComposeText::movedMelody(source, ComposeText::MaxPlayText);
        return;
    }
    QLineEdit *box = editTune[size_t((target - 1) % Slots)];
    box->clear();
    box->setText(fromPhoneText(ComposeText::movedMelody(source)));
}

void MelodiesPage::playClick(QPushButton *play)
{
    const OperationGuard op(m_link, Tab::Melodies);
    if (!op)
        return;
    const std::array<QPushButton *, 6> plays{Play[0], Play[1], Play[2], Play[3], PlayFile, PlayCustom};
    btnReadMelodies->setEnabled(false);
    m_bleeper.setTuneStopRequested(false);
    m_playing = play;
    play->hide();
    for (QPushButton *other : plays)
        if (other != play)
            other->setEnabled(false);
    repaint();

    QByteArray text;
    if (play == PlayFile || play == PlayCustom) {
        MoveTune(play == PlayFile ? 10 : 9);
        text = m_playText;
    } else {
        for (int k = 0; k < Slots; ++k)
            if (play == Play[k])
                text = toPhoneText(editTune[k]->text());
    }
    playTune(text);

    m_playing = nullptr;
    play->show();
    for (QPushButton *other : plays)
        other->setEnabled(true);
    btnReadMelodies->setEnabled(true);
    m_bleeper.setTuneStopRequested(false);
}

void MelodiesPage::TuneStop1Click()
{
    m_bleeper.setTuneStopRequested(true);
}

void MelodiesPage::btnLoadTunesClick()
{
    m_bleeper.setTuneStopRequested(true);
    if (OpenTunes->exec() != QDialog::Accepted || OpenTunes->selectedFiles().isEmpty())
        return;
    TuneList->clear();
    TuneList->setEditText(QString());
    // A file that will not open or read just gives fewer lines.
    QFile file(OpenTunes->selectedFiles().constFirst());
    if (file.open(QIODevice::ReadOnly))
        TuneList->addItems(ComposeText::readMelodyLines(file));
    if (TuneList->count() > 0)
        TuneList->setCurrentIndex(0);
}

// ---------------------------------------------------------------- phone

void MelodiesPage::btnReadMelodiesClick()
{
    const OperationGuard op(m_link, Tab::Melodies);
    if (!op)
        return;
    btnReadMelodies->setEnabled(false);
    PlayCombo->setEnabled(false);
    UseCombo->setEnabled(false);
    for (QLineEdit *box : editTune)
        box->clear();

    Palette::paint(ComboRings2, Palette::Teal);
    setEnabled(false);
    repaint();
    PhoneMelodies::Read read;
    m_link.runGuarded([&] { read = m_melodies.readMelodies(); });
    Palette::paint(ComboRings2, Palette::Silver);

    // A port that would not open leaves the boxes empty.
    if (read.status != PhoneMelodies::Read::NoPort) {
        for (int k = 0; k < Slots; ++k) {
            editTune[k]->setText(read.shown(k + 1));
            if (read.melodies[size_t(k)])
                ok[k]->setEnabled(true);
        }
    }

    PlayCombo->setEnabled(true);
    ComboRings2Change();
    setEnabled(true);
    btnReadMelodies->setEnabled(true);
}

void MelodiesPage::editTuneChange(int slot)
{
    if (slot >= 1 && slot <= Slots)
        ok[slot - 1]->setEnabled(true);
}

void MelodiesPage::okClick(int slot)
{
    if (slot < 1 || slot > Slots)
        return;
    QLineEdit *box = editTune[slot - 1];
    if (box->text().isEmpty())
        return;
    const OperationGuard op(m_link, Tab::Melodies);
    if (!op)
        return;
    // WriteTune
    ServiceResult result = ServiceResult::Refused;
    setEnabled(false);
    m_link.runGuarded([&] { result = m_melodies.storeMelody(slot, box->text()); });
    setEnabled(true);
    flashThenRest(m_link, box, result == ServiceResult::Done ? Palette::DarkGreen : Palette::Red,
                  m_link.timing().flash, Palette::Silver);
}

void MelodiesPage::useClick(int slot)
{
    if (slot >= 1 && slot <= Slots)
        SetTune(QString::number(30 + slot));
}

void MelodiesPage::UseComboClick()
{
    SetTune(ComboRings2->currentText());
}

void MelodiesPage::SetTune(const QString &code)
{
    // The ring type does not lock the tabs, but no second operation may start.
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    const auto enableAll = [this](bool on) {
        btnReadMelodies->setEnabled(on);
        GroupBox1->setEnabled(on);
        for (int k = 0; k < Slots; ++k) {
            Use[k]->setEnabled(on);
            ok[k]->setEnabled(on);
        }
    };
    enableAll(false);
    ServiceResult result = ServiceResult::Refused;
    m_link.runGuarded([&] { result = m_melodies.setRingType(code, CallList->currentIndex()); });
    flashThenRest(m_link, CallList, result == ServiceResult::Done ? Palette::DarkGreen : Palette::Red,
                  m_link.timing().flash, Palette::Silver);
    enableAll(true);
}

bool MelodiesPage::callTypeChosen() const
{
    return CallList->currentIndex() > 0;
}

void MelodiesPage::setUseHints()
{
    const QString forType = QStringLiteral(" for \"") + CallList->currentText() + u'"';
    UseCombo->setToolTip(QStringLiteral("Use ring ") + ComboRings2->currentText() + forType);
    for (int k = 0; k < Slots; ++k)
        Use[k]->setToolTip(QStringLiteral("Use Own-Melody %1").arg(k + 1) + forType);
}

void MelodiesPage::CallListChange()
{
    const bool chosen = callTypeChosen();
    for (QPushButton *use : Use)
        use->setEnabled(chosen);
    // Without a call type there is no digit to send.
    UseCombo->setEnabled(chosen && !ComboRings2->currentText().isEmpty());
    if (chosen)
        setUseHints();
}

void MelodiesPage::ComboRings2Change()
{
    const QString code = ComboRings2->currentText();
    PlayCombo->setEnabled(!code.isEmpty());
    UseCombo->setEnabled(!code.isEmpty() && callTypeChosen());
    setUseHints();
    PlayCombo->setToolTip(QStringLiteral("Play ring ") + code + QStringLiteral(" in phone"));
}

void MelodiesPage::showRingCodes(const QStringList &codes, bool listed)
{
    ComboRings2->clear();
    ComboRings2->addItems(codes);
    ComboRings2->setEditText(listed ? QStringLiteral("1") : QString());
}

void MelodiesPage::gsmPlayClick(int slot)
{
    if (slot < 1 || slot > Slots)
        return;
    const OperationGuard op(m_link, Tab::Melodies);
    if (!op)
        return;
    btnReadMelodies->setEnabled(false);
    repaint();
    QPushButton *button = gsmPlay[slot - 1];
    m_link.runGuarded([&] {
        if (m_melodies.playMelody(slot) != ServiceResult::Done) {
            button->setText(QStringLiteral("X"));
            button->repaint();
            m_link.sleep(m_link.timing().flash);
        }
    });
    button->setText(QString::number(slot));
    btnReadMelodies->setEnabled(true);
}

void MelodiesPage::PlayComboClick()
{
    const OperationGuard op(m_link, Tab::Melodies);
    if (!op)
        return;
    btnReadMelodies->setEnabled(false);
    repaint();
    m_link.runGuarded([&] { m_melodies.playRing(ComboRings2->currentText()); });
    btnReadMelodies->setEnabled(true);
}

void MelodiesPage::chooseVoice()
{
    CallList->setCurrentIndex(1);
    CallListChange();
}
