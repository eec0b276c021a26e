// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/BookTableModel.h"
#include "gui/common/Palette.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "core/at/Charset.h"
#include "core/phonebooks/PhonebookModel.h"

namespace {
const QColor FixedGrey(224, 224, 224);

bool fixedCell(const QModelIndex &index) { return index.row() == 0 || index.column() == 0; }
} // namespace

BookTableModel::BookTableModel(PhonebookModel &book, QObject *parent)
    : QAbstractTableModel(parent), m_book(book), m_entries(book.count())
{
    connect(&m_book, &PhonebookModel::countChanged, this, &BookTableModel::bookCountChanged);
    connect(&m_book, &PhonebookModel::entriesChanged, this, [this](int first, int last) {
        emit dataChanged(index(first, NumberColumn), index(last, NameColumn), {Qt::DisplayRole, Qt::EditRole});
    });
}

void BookTableModel::bookCountChanged(int oldCount, int newCount)
{
    Q_ASSERT(oldCount == m_entries);
    if (newCount > oldCount) {
        beginInsertRows(QModelIndex(), oldCount + 1, newCount);
        m_entries = newCount;
        endInsertRows();
    } else if (newCount < oldCount) {
        beginRemoveRows(QModelIndex(), newCount + 1, oldCount);
        m_entries = newCount;
        endRemoveRows();
    }
}

void BookTableModel::setHeaderText(int column, const QString &text)
{
    if (column < 0 || column >= columnCount() || m_header[column] == text)
        return;
    m_header[column] = text;
    emit dataChanged(index(0, column), index(0, column), {Qt::DisplayRole});
}

QString BookTableModel::headerText(int column) const
{
    return column >= 0 && column < columnCount() ? m_header[column] : QString();
}

int BookTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_entries + 1;
}

int BookTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QVariant BookTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int r = index.row(), c = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (r == 0)
            return m_header[c];
        if (c == RowColumn)
            return QString::number(r);
        return fromPhoneText(c == NumberColumn ? m_book.entry(r).number : m_book.entry(r).name);
    case Qt::FontRole:
        if (fixedCell(index)) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::BackgroundRole:
        return fixedCell(index) ? QVariant(QBrush(FixedGrey)) : QVariant();
    case Qt::ForegroundRole:
        return fixedCell(index) ? QVariant(QBrush(Palette::textOn(FixedGrey))) : QVariant();
    default:
        return {};
    }
}

bool BookTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) || fixedCell(index))
        return false;
    const QByteArray text = toPhoneText(value.toString());
    if (index.column() == NumberColumn)
        m_book.setNumber(index.row(), text);
    else
        m_book.setName(index.row(), text);
    return true;
}

Qt::ItemFlags BookTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (fixedCell(index))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
