// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/Settings2Panel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "link/PhoneLink.h"
#include "gui/settings/SettingsPattern.h"
#include "gui/common/Palette.h"

using namespace SettingsPattern;

namespace {
QLineEdit *field(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    Palette::paint(edit, Palette::Silver);
    return edit;
}
} // namespace

Settings2Panel::Settings2Panel(PhoneLink &link, QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelSet2"), QStringLiteral("Settings - 2"), parent),
      m_link(link),
      m_settings(link)
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("PanelSet2Content"));
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);

    StaticText1 = statusLabel(content, "StaticText1", QStringLiteral("Voicemail"), 70);
    editVM = field(content, "editVM");
    editVM->setToolTip(QStringLiteral("voicemail number"));
    editVM->setAccessibleName(StaticText1->text());
    btnVM = panelButton(content, "btnVM", QStringLiteral("Set"), QStringLiteral("Set Voicemail number"));

    StaticText12 = statusLabel(content, "StaticText12", QStringLiteral("Language"), 70);
    ComboLang = new QComboBox(content);
    ComboLang->setObjectName(QStringLiteral("ComboLang"));
    ComboLang->setEditable(true);
    ComboLang->setInsertPolicy(QComboBox::NoInsert);
    ComboLang->setToolTip(QStringLiteral("language code"));
    ComboLang->setAccessibleName(StaticText12->text());
    ComboLang->setEnabled(false);
    Palette::paint(ComboLang, Palette::Silver);

    StaticText13 = statusLabel(content, "StaticText13", QStringLiteral("Greeting"), 70);
    EditGreeting = field(content, "EditGreeting");
    EditGreeting->setToolTip(QStringLiteral("Enter wake-up greeting"));
    EditGreeting->setAccessibleName(StaticText13->text());
    btnGreeting = panelButton(content, "btnGreeting", QStringLiteral("Set"), QStringLiteral("Change greeting text"));
    btnOff = panelButton(content, "btnOff", QStringLiteral("Off"), QStringLiteral("Turn greeting off"));
    btnText = panelButton(content, "btnText", QStringLiteral("Text"), QStringLiteral("Set greeting to text"));
    btnAnim = panelButton(content, "btnAnim", QStringLiteral("Anim"), QStringLiteral("Set greeting to animation"));

    btnSet2 = readButton(content, "btnSet2", QStringLiteral("Read settings from phone"));

    // Each caption above its box: beside it, the boxes would be too narrow
    // for a whole number.
    grid->addWidget(StaticText1, 0, 0, Qt::AlignLeft);
    grid->addWidget(btnSet2, 0, 1, Qt::AlignRight);
    grid->addWidget(editVM, 1, 0);
    grid->addWidget(btnVM, 1, 1);
    grid->addWidget(StaticText12, 2, 0, Qt::AlignLeft);
    grid->addWidget(ComboLang, 3, 0);
    grid->addWidget(StaticText13, 4, 0, Qt::AlignLeft);
    grid->addWidget(EditGreeting, 5, 0);
    grid->addWidget(btnGreeting, 5, 1);
    auto *modes = new QHBoxLayout;
    modes->addWidget(btnOff);
    modes->addWidget(btnText);
    modes->addWidget(btnAnim);
    modes->addStretch(1);
    grid->addLayout(modes, 6, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    addContent(content);

    defaultWhileFocused(EditGreeting, btnGreeting);
    defaultWhileFocused(editVM, btnVM);

    connect(btnSet2, &QPushButton::clicked, this, &Settings2Panel::btnSet2Click);
    connect(btnVM, &QPushButton::clicked, this, &Settings2Panel::btnVMClick);
    connect(ComboLang, &QComboBox::currentTextChanged, this, &Settings2Panel::ComboLangChange);
    connect(btnGreeting, &QPushButton::clicked, this, &Settings2Panel::btnGreetingClick);
    connect(btnOff, &QPushButton::clicked, this, &Settings2Panel::btnOffClick);
    connect(btnText, &QPushButton::clicked, this, &Settings2Panel::btnTextClick);
    connect(btnAnim, &QPushButton::clicked, this, &Settings2Panel::btnAnimClick);
}

void Settings2Panel::btnSet2Click()
{
    readPanel(m_link, btnSet2, std::nullopt, [this] {
        getVoiceMail();
        if (m_link.connected()) {
            GetLang();
            getGreeting();
        }
    });
}

void Settings2Panel::getVoiceMail()
{
    markReading(editVM);
    const QString number = m_settings.readVoicemail();
    if (!number.isEmpty())
        editVM->setText(number);
    restoreColour(editVM);
}

void Settings2Panel::GetLang()
{
    const Refreshing refresh;
    markReading(ComboLang);
    ComboLang->setEnabled(false);
    ComboLang->clear();
    ComboLang->setEditText(QString());

    const PhoneSettings::Languages languages = m_settings.readLanguages();
    if (!languages.answered) {
        ComboLang->addItem(QStringLiteral(" N/A"));
        ComboLang->setCurrentIndex(0);
    } else {
        ComboLang->addItems(languages.codes);
        // The box shows the phone's language, not the first of the list.
        ComboLang->setCurrentIndex(-1);
        ComboLang->setEditText(languages.current.value_or(QString()));
        ComboLang->setEnabled(languages.listed);
    }
    restoreColour(ComboLang);
}

void Settings2Panel::getGreeting()
{
    markReading(EditGreeting);
    const PhoneSettings::Greeting greeting = m_settings.readGreeting();
    if (greeting.text)
        EditGreeting->setText(*greeting.text);
    // "Off" is marked while the phone reports its greeting switched off.
    if (greeting.mode) {
        QFont font = btnOff->font();
        font.setUnderline(*greeting.mode == 0);
        btnOff->setFont(font);
    }
    restoreColour(EditGreeting);
}

void Settings2Panel::btnVMClick()
{
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([this] {
        // A query reply too short to show the entry's form sends nothing,
        // and that is no success.
        const bool done = m_settings.writeVoicemail(editVM->text()) == ServiceResult::Done;
        m_link.closePort();
        flashStatus(m_link, StaticText1, done, m_link.timing().flashLong);
    });
}

void Settings2Panel::ComboLangChange()
{
    if (refreshing())
        return;
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([this] {
        const bool done = m_settings.writeLanguage(ComboLang->currentText());
        m_link.closePort();
        flashStatus(m_link, StaticText12, done, m_link.timing().flash);
    });
}

void Settings2Panel::btnGreetingClick()
{
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([this] {
        const bool done = m_settings.writeGreeting(EditGreeting->text());
        m_link.closePort();
        flashStatus(m_link, StaticText13, done, m_link.timing().flashLong);
    });
}

void Settings2Panel::greetingMode(int mode)
{
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    m_link.runGuarded([this, mode] {
        const bool done = m_settings.writeGreetingMode(mode);
        m_link.closePort();
        flashStatus(m_link, StaticText13, done, m_link.timing().flashLong);
    });
}

void Settings2Panel::btnOffClick() { greetingMode(0); }
void Settings2Panel::btnTextClick() { greetingMode(1); }
void Settings2Panel::btnAnimClick() { greetingMode(2); }
