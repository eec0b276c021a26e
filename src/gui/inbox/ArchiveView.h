// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Inbox's "Archive" view: every message Mirvak has kept, as
// conversations. The list on the left is a model over the archive's query,
// so a long-kept archive opens as fast as a short one; the conversation on
// the right reads top to bottom, what the user sent set to the right.
#include <QWidget>
#include <functional>

class MessageArchive;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTextBrowser;
class ConversationModel;

class ArchiveView : public QWidget {
    Q_OBJECT
public:
    explicit ArchiveView(QWidget *parent = nullptr);
    ~ArchiveView() override;

    // The archive to show; null when it could not be opened, `why` then
    // says so in the view.
    void setArchive(MessageArchive *archive, const QString &why = QString());
    using NameLookup = std::function<QString(const QString &number)>;
    void setNameLookup(NameLookup lookup);
    // Shows what the archive holds now (after a read or a send).
    void refresh();

    enum class Scope { Everything, Conversation, SearchResult };
    // Writes the scope's messages to `path` as CSV or mbox (by its suffix);
    // false with the reason in *error when nothing was written.
    bool exportTo(Scope scope, const QString &path, QString *error);
    QString currentConversation() const { return m_current; }

signals:
    // "Import backup…": the window's business, as it owns the backup reader.
    void importRequested();

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildLayout();
    void search();
    void showConversation(const QString &key);
    void chooseExport(Scope scope);

    QLineEdit *ArchiveSearch;
    QListView *ConversationList;
    QTextBrowser *ConversationView;
    QPushButton *btnArchiveExport;
    QPushButton *btnArchiveImport;
    QLabel *ArchiveStatus;
    QFileDialog *ArchiveExportFile = nullptr;

    ConversationModel *m_model;
    MessageArchive *m_archive = nullptr;
    NameLookup m_lookup;
    QString m_current;
};
