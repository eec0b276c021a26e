#pragma once
// The Settings tab (Panel4): the settings tree and the stack of settings panels.
#include <QHash>
#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;
class QStackedWidget;

class SettingsPage : public QWidget {
    Q_OBJECT
public:
    // infoPage becomes PanelInfo; cpa and icqSettings are placed on PanelMirvak.
    SettingsPage(QWidget *infoPage, QWidget *cpa, QWidget *icqSettings, QWidget *parent = nullptr);

    QTreeWidget *Tree;
    QStackedWidget *panels;

    QWidget *panelSet1;
    QWidget *PanelSet2;
    QWidget *PanelProfiles;
    QWidget *PanelVoice;
    QWidget *PanelData;
    QWidget *PanelFax;
    QWidget *PanelCallWait;
    QWidget *PanelPersonal;
    QWidget *PanelClock;
    QWidget *PanelInfo;
    QWidget *panelWapsoon;
    QWidget *PanelGPRSSoon;
    QWidget *PanelMirvak;

    // Node texts in tree order ("Voice", "Data", "Fax" are children of "Call Forward").
    static QStringList nodeTexts();

    void TreeChange();
    // Brings a settings panel to the front; the tree selection is left alone.
    void showPanel(QWidget *panel);
    // The same by objectName ("PanelClock"); false when there is no such panel.
    bool showPanel(const QString &objectName);
    QWidget *currentPanel() const;
    // Selects the node with this text, which brings its panel to the front.
    bool selectNode(const QString &text);
    // The panel a node brings to the front; nullptr for "Call Forward".
    QWidget *panelForNode(const QString &text) const;

private:
    QWidget *addPlaceholder(const QString &name, const QString &title);
    QTreeWidgetItem *findNode(const QString &text) const;

    QHash<QString, QWidget *> m_nodePanels;
};
