#include "Unit1/shell/SettingsPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

SettingsPage::SettingsPage(QWidget *infoPage, QWidget *cpa, QWidget *icqSettings, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel4"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    Tree = new QTreeWidget(this);
    Tree->setObjectName(QStringLiteral("Tree"));
    Tree->setFixedWidth(114);
    Tree->setHeaderHidden(true);
    Tree->setColumnCount(1);
    Tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tree->setSelectionMode(QAbstractItemView::SingleSelection);
    Tree->setIndentation(12);
    Tree->setMouseTracking(true); // hot tracking
    Tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(Tree);

    panels = new QStackedWidget(this);
    panels->setObjectName(QStringLiteral("SettingsPanels"));
    layout->addWidget(panels, 1);

    panelSet1 = addPlaceholder(QStringLiteral("panelSet1"), QStringLiteral("Settings-1"));
    PanelSet2 = addPlaceholder(QStringLiteral("PanelSet2"), QStringLiteral("Settings-2"));
    PanelProfiles = addPlaceholder(QStringLiteral("PanelProfiles"), QStringLiteral("Profiles"));
    PanelVoice = addPlaceholder(QStringLiteral("PanelVoice"), QStringLiteral("Call Forward - Voice"));
    PanelData = addPlaceholder(QStringLiteral("PanelData"), QStringLiteral("Call Forward - Data"));
    PanelFax = addPlaceholder(QStringLiteral("PanelFax"), QStringLiteral("Call Forward - Fax"));
    PanelCallWait = addPlaceholder(QStringLiteral("PanelCallWait"), QStringLiteral("Call Waiting"));
    PanelPersonal = addPlaceholder(QStringLiteral("PanelPersonal"), QStringLiteral("Personal Rings"));
    PanelClock = addPlaceholder(QStringLiteral("PanelClock"), QStringLiteral("Clock"));

    if (infoPage) {
        PanelInfo = infoPage;
        if (PanelInfo->objectName().isEmpty())
            PanelInfo->setObjectName(QStringLiteral("PanelInfo"));
        panels->addWidget(PanelInfo);
    } else {
        PanelInfo = addPlaceholder(QStringLiteral("PanelInfo"), QStringLiteral("GSM Info"));
    }

    panelWapsoon = addPlaceholder(QStringLiteral("panelWapsoon"), QStringLiteral("WAP settings coming soon....."));
    PanelGPRSSoon = addPlaceholder(QStringLiteral("PanelGPRSSoon"), QStringLiteral("GPRS settings coming soon....."));

    PanelMirvak = new QWidget;
    PanelMirvak->setObjectName(QStringLiteral("PanelMirvak"));
    auto *mirvakLayout = new QVBoxLayout(PanelMirvak);
    mirvakLayout->setContentsMargins(4, 4, 4, 4);
    mirvakLayout->setSpacing(4);
    if (cpa)
        mirvakLayout->addWidget(cpa);
    if (icqSettings)
        mirvakLayout->addWidget(icqSettings);
    mirvakLayout->addStretch(1);
    panels->addWidget(PanelMirvak);

    const QList<std::pair<QString, QWidget *>> nodes = {
        {QStringLiteral("Settings-1"), panelSet1},
        {QStringLiteral("Settings-2"), PanelSet2},
        {QStringLiteral("Profiles"), PanelProfiles},
        {QStringLiteral("Call Forward"), nullptr},
        {QStringLiteral("Voice"), PanelVoice},
        {QStringLiteral("Data"), PanelData},
        {QStringLiteral("Fax"), PanelFax},
        {QStringLiteral("Call Waiting"), PanelCallWait},
        {QStringLiteral("Personal Rings"), PanelPersonal},
        {QStringLiteral("Clock"), PanelClock},
        {QStringLiteral("GSM Info"), PanelInfo},
        {QStringLiteral("Wap"), panelWapsoon},
        {QStringLiteral("GPRS"), PanelGPRSSoon},
        {QStringLiteral("Mirvak"), PanelMirvak},
    };
    QTreeWidgetItem *callForward = nullptr;
    for (const auto &[text, panel] : nodes) {
        QTreeWidgetItem *item;
        const bool child = text == QLatin1String("Voice") || text == QLatin1String("Data")
                           || text == QLatin1String("Fax");
        if (child && callForward)
            item = new QTreeWidgetItem(callForward, QStringList{text});
        else
            item = new QTreeWidgetItem(Tree, QStringList{text});
        if (text == QLatin1String("Call Forward"))
            callForward = item;
        if (panel)
            m_nodePanels.insert(text, panel);
    }
    Tree->expandAll();

    connect(Tree, &QTreeWidget::currentItemChanged, this, [this] { TreeChange(); });
}

QStringList SettingsPage::nodeTexts()
{
    return {QStringLiteral("Settings-1"), QStringLiteral("Settings-2"), QStringLiteral("Profiles"),
            QStringLiteral("Call Forward"), QStringLiteral("Voice"), QStringLiteral("Data"),
            QStringLiteral("Fax"), QStringLiteral("Call Waiting"), QStringLiteral("Personal Rings"),
            QStringLiteral("Clock"), QStringLiteral("GSM Info"), QStringLiteral("Wap"),
            QStringLiteral("GPRS"), QStringLiteral("Mirvak")};
}

QWidget *SettingsPage::addPlaceholder(const QString &name, const QString &title)
{
    auto *panel = new QWidget;
    panel->setObjectName(name);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *caption = new QLabel(title, panel);
    caption->setObjectName(name + QStringLiteral("Caption"));
    caption->setWordWrap(true);
    QFont f = caption->font();
    f.setBold(true);
    caption->setFont(f);
    layout->addWidget(caption);
    layout->addStretch(1);
    panels->addWidget(panel);
    return panel;
}

void SettingsPage::TreeChange()
{
    QTreeWidgetItem *item = Tree->currentItem();
    if (!item)
        return;
    if (QWidget *panel = panelForNode(item->text(0)))
        showPanel(panel);
}

void SettingsPage::showPanel(QWidget *panel)
{
    if (panel && panels->indexOf(panel) >= 0)
        panels->setCurrentWidget(panel);
}

bool SettingsPage::showPanel(const QString &objectName)
{
    for (int i = 0; i < panels->count(); ++i) {
        if (panels->widget(i)->objectName() == objectName) {
            panels->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

QWidget *SettingsPage::currentPanel() const
{
    return panels->currentWidget();
}

QWidget *SettingsPage::panelForNode(const QString &text) const
{
    return m_nodePanels.value(text, nullptr);
}

QTreeWidgetItem *SettingsPage::findNode(const QString &text) const
{
    const auto found = Tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

bool SettingsPage::selectNode(const QString &text)
{
    QTreeWidgetItem *item = findNode(text);
    if (!item)
        return false;
    if (Tree->currentItem() == item)
        TreeChange(); // already selected: still bring its panel forward
    else
        Tree->setCurrentItem(item);
    return true;
}
