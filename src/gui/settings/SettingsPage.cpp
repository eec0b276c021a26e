// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/SettingsPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QStackedWidget>
#include <QTreeWidget>

#include <utility>

#include "gui/common/FirstShow.h"

SettingsPage::SettingsPage(const QList<SettingsNode> &nodes, QWidget *parent)
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

    QHash<QString, QTreeWidgetItem *> items;
    for (const SettingsNode &node : nodes) {
        Q_ASSERT_X(!items.contains(node.text), "SettingsPage", "node texts must be unique");
        QTreeWidgetItem *parentItem = items.value(node.parent, nullptr);
        Q_ASSERT_X(node.parent.isEmpty() || parentItem, "SettingsPage", "a parent node must come first");
        auto *item = parentItem ? new QTreeWidgetItem(parentItem, QStringList{node.text})
                                : new QTreeWidgetItem(Tree, QStringList{node.text});
        items.insert(node.text, item);
        m_nodeTexts << node.text;
    }
    m_unbuilt = nodes;
    Tree->expandAll();

    connect(Tree, &QTreeWidget::currentItemChanged, this, [this] { TreeChange(); });
    FirstShow::whenShown(this, [this] { buildPanels(); });
}

void SettingsPage::buildPanels()
{
    if (m_unbuilt.isEmpty())
        return;
    const QList<SettingsNode> nodes = std::exchange(m_unbuilt, {});
    for (const SettingsNode &node : nodes) {
        if (QWidget *panel = node.panel ? node.panel() : nullptr) {
            panels->addWidget(panel);
            m_nodePanels.insert(node.text, panel);
        }
    }
    TreeChange();
    emit panelsBuilt();
}

void SettingsPage::TreeChange()
{
    QTreeWidgetItem *item = Tree->currentItem();
    // Before the panels are built the selection waits for them.
    if (!item || !m_unbuilt.isEmpty())
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
    QWidget *found = panel(objectName);
    if (found)
        panels->setCurrentWidget(found);
    return found;
}

QWidget *SettingsPage::panel(const QString &objectName)
{
    buildPanels();
    for (int i = 0; i < panels->count(); ++i) {
        if (panels->widget(i)->objectName() == objectName)
            return panels->widget(i);
    }
    return nullptr;
}

QWidget *SettingsPage::currentPanel()
{
    buildPanels();
    return panels->currentWidget();
}

QWidget *SettingsPage::panelForNode(const QString &text)
{
    buildPanels();
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
