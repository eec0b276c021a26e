// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/inbox/ArchiveView.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "core/messaging/InboxFiles.h"
#include "gui/common/Buttons.h"
#include "store/archive/MessageArchive.h"

namespace {

const QStringList ExportFilters{QStringLiteral("CSV files (*.csv)"), QStringLiteral("Mailbox files (*.mbox)")};

// The first words of a text on one line, for the list.
QString opening(const QString &text)
{
    const QString line = Inbox::oneLine(text);
    return line.size() > 40 ? line.left(39) + QChar(0x2026) : line;
}

} // namespace

// The archive's conversations query, each row shown as the party's name (or
// number) and date over the newest message's first words.
class ConversationModel : public QSqlQueryModel {
public:
    using QSqlQueryModel::QSqlQueryModel;
    ArchiveView::NameLookup lookup;

    QString key(int row) const { return QSqlQueryModel::data(index(row, 0)).toString(); }

    QVariant data(const QModelIndex &item, int role) const override
    {
        if (item.column() != 0 || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::UserRole))
            return QSqlQueryModel::data(item, role);
        if (role == Qt::UserRole)
            return key(item.row());
        const auto column = [&](int c) { return QSqlQueryModel::data(index(item.row(), c)); };
        const QString number = column(1).toString();
        const QString name = lookup ? lookup(number) : QString();
        const QString who = name.isEmpty() ? number : name;
        const QDateTime time = QDateTime::fromString(column(3).toString(), Qt::ISODate);
        if (role == Qt::ToolTipRole)
            return QStringLiteral("%1 (%2), %3 message(s)").arg(who, number).arg(column(5).toInt());
        return QStringLiteral("%1   %2\n%3").arg(who, time.isValid() ? Inbox::dateText(time) : QString(),
                                                 opening(column(4).toString()));
    }
};

ArchiveView::ArchiveView(QWidget *parent) : QWidget(parent), m_model(new ConversationModel(this))
{
    buildLayout();
    setArchive(nullptr);
}

ArchiveView::~ArchiveView() = default;

void ArchiveView::buildLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    ArchiveSearch = new QLineEdit(this);
    ArchiveSearch->setObjectName(QStringLiteral("ArchiveSearch"));
    ArchiveSearch->setPlaceholderText(QStringLiteral("Search words, numbers or names"));
    ArchiveSearch->setAccessibleName(QStringLiteral("Search the archive"));
    ArchiveSearch->setClearButtonEnabled(true);
    layout->addWidget(ArchiveSearch);

    auto *split = new QSplitter(Qt::Horizontal, this);
    ConversationList = new QListView(split);
    ConversationList->setObjectName(QStringLiteral("ConversationList"));
    ConversationList->setAccessibleName(QStringLiteral("Conversations"));
    ConversationList->setModel(m_model);
    ConversationList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ConversationList->setUniformItemSizes(true); // a long list lays out by its first row
    ConversationView = new QTextBrowser(split);
    ConversationView->setObjectName(QStringLiteral("ConversationView"));
    ConversationView->setAccessibleName(QStringLiteral("Conversation"));
    ConversationView->setOpenLinks(false);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    layout->addWidget(split, 1);

    auto *bottom = new QHBoxLayout;
    ArchiveStatus = new QLabel(this);
    ArchiveStatus->setObjectName(QStringLiteral("ArchiveStatus"));
    ArchiveStatus->setWordWrap(true);
    bottom->addWidget(ArchiveStatus, 1);
    btnArchiveImport = Buttons::panelButton(this, "btnArchiveImport", QStringLiteral("Import backup\u2026"),
                                            QStringLiteral("Take the messages of a backup file into the archive"));
    btnArchiveExport = Buttons::panelButton(this, "btnArchiveExport", QStringLiteral("Export\u2026"),
                                            QStringLiteral("Save messages of the archive as CSV or mbox"));
    auto *menu = new QMenu(btnArchiveExport);
    menu->setObjectName(QStringLiteral("ArchiveExportMenu"));
    menu->addAction(QStringLiteral("Whole archive\u2026"), this, [this] { chooseExport(Scope::Everything); });
    menu->addAction(QStringLiteral("This conversation\u2026"), this, [this] { chooseExport(Scope::Conversation); });
    menu->addAction(QStringLiteral("Search result\u2026"), this, [this] { chooseExport(Scope::SearchResult); });
    btnArchiveExport->setMenu(menu);
    bottom->addWidget(btnArchiveImport);
    bottom->addWidget(btnArchiveExport);
    layout->addLayout(bottom);

    connect(ArchiveSearch, &QLineEdit::textChanged, this, &ArchiveView::search);
    connect(ConversationList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &now) { showConversation(now.isValid() ? m_model->key(now.row()) : QString()); });
    connect(btnArchiveImport, &QPushButton::clicked, this, &ArchiveView::importRequested);
}

void ArchiveView::setArchive(MessageArchive *archive, const QString &why)
{
    m_archive = archive && archive->isOpen() ? archive : nullptr;
    for (QWidget *w : std::initializer_list<QWidget *>{ArchiveSearch, ConversationList, btnArchiveExport})
        w->setEnabled(m_archive);
    btnArchiveImport->setEnabled(m_archive);
    ArchiveStatus->setText(m_archive ? QString() : why);
    ArchiveStatus->setVisible(!m_archive && !why.isEmpty());
    refresh();
}

void ArchiveView::setNameLookup(NameLookup lookup)
{
    m_lookup = std::move(lookup);
    m_model->lookup = m_lookup;
    refresh();
}

void ArchiveView::refresh()
{
    search();
}

void ArchiveView::search()
{
    const QString keep = m_current;
    if (!m_archive) {
        m_model->clear();
        showConversation(QString());
        return;
    }
    m_model->setQuery(m_archive->conversationsQuery(ArchiveSearch->text()));
    while (m_model->canFetchMore())
        m_model->fetchMore();
    // The conversation on show stays on show while it is in the list.
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_model->key(row) == keep) {
            ConversationList->setCurrentIndex(m_model->index(row, 0));
            showConversation(keep);
            return;
        }
    showConversation(QString());
}

void ArchiveView::showConversation(const QString &key)
{
    m_current = key;
    if (!m_archive || key.isEmpty()) {
        ConversationView->clear();
        return;
    }
    const QString them = m_lookup ? m_lookup(key) : QString();
    QString html;
    for (const ArchivedMessage &m : m_archive->conversation(key)) {
        const bool mine = m.direction == ArchivedMessage::Sent;
        QStringList about{m.time.isValid() ? Inbox::dateText(m.time) : QStringLiteral("no date"), m.status};
        if (!m.report.isEmpty())
            about << m.report + (m.reportTime.isValid() ? QLatin1Char(' ') + Inbox::dateText(m.reportTime) : QString());
        const QString who = mine ? QStringLiteral("Me") : them.isEmpty() ? m.number : them;
        html += QStringLiteral("<p align=\"%1\" style=\"margin-top:8px\"><small><b>%2</b> \u00b7 %3</small><br>%4</p>")
                    .arg(mine ? QStringLiteral("right") : QStringLiteral("left"), who.toHtmlEscaped(),
                         about.join(QStringLiteral(" \u00b7 ")).toHtmlEscaped(),
                         m.text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>")));
    }
    ConversationView->setHtml(html);
    ConversationView->moveCursor(QTextCursor::End);
}

bool ArchiveView::exportTo(Scope scope, const QString &path, QString *error)
{
    if (!m_archive)
        return false;
    const QList<ArchivedMessage> chosen = scope == Scope::Conversation ? m_archive->conversation(m_current)
                                        : scope == Scope::SearchResult ? m_archive->search(ArchiveSearch->text())
                                                                       : m_archive->all();
    QList<InboxMessage> messages;
    for (const ArchivedMessage &m : chosen) {
        messages << MessageArchive::toInbox(m);
        if (m_lookup)
            messages.last().name = m_lookup(m.number);
    }
    const auto format = InboxFiles::formatFor(path, InboxFiles::Format::Csv);
    return InboxFiles::save(path,
                            format == InboxFiles::Format::Mbox ? InboxFiles::mbox(messages, QDateTime::currentDateTimeUtc())
                                                               : InboxFiles::csv(messages),
                            error);
}

void ArchiveView::chooseExport(Scope scope)
{
    // Made at the first export: a file dialog watches its folder from a
    // thread of its own.
    if (!ArchiveExportFile) {
        ArchiveExportFile = new QFileDialog(this);
        ArchiveExportFile->setObjectName(QStringLiteral("ArchiveExportFile"));
        ArchiveExportFile->setAcceptMode(QFileDialog::AcceptSave);
        ArchiveExportFile->setFileMode(QFileDialog::AnyFile);
        ArchiveExportFile->setOption(QFileDialog::DontUseNativeDialog);
        ArchiveExportFile->setNameFilters(ExportFilters);
    }
    if (ArchiveExportFile->exec() != QDialog::Accepted || ArchiveExportFile->selectedFiles().isEmpty())
        return;
    QString path = ArchiveExportFile->selectedFiles().constFirst();
    if (QFileInfo(path).suffix().isEmpty())
        path += ArchiveExportFile->selectedNameFilter() == ExportFilters.last() ? QStringLiteral(".mbox") : QStringLiteral(".csv");
    QString error;
    if (!exportTo(scope, path, &error)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Inbox"),
                        QStringLiteral("The messages were not saved. %1").arg(error), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("archiveExportFailed"));
        box.exec();
    }
}

void ArchiveView::changeEvent(QEvent *event)
{
    // The conversation's HTML takes the palette's colours when it is set.
    if (event->type() == QEvent::PaletteChange)
        showConversation(m_current);
    QWidget::changeEvent(event);
}
