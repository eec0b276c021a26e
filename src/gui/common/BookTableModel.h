// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A phonebook as its grid shows it: three columns (entry number, phone
// number, name), row 0 a header row and column 0 the row numbers, so the
// cell of entry r is row r. The header texts belong to whoever owns the
// table (the SMS and ICQ books show live counters there). Text is shown and
// taken in through the Latin-1 mapping the phone and the files use.
#include <QAbstractTableModel>
#include <QString>
#include <array>

class PhonebookModel;

class BookTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { RowColumn = 0, NumberColumn = 1, NameColumn = 2 };

    explicit BookTableModel(PhonebookModel &book, QObject *parent = nullptr);

    PhonebookModel &book() const { return m_book; }
    // The text of row 0 in a column; column 0 is the top-left cell.
    void setHeaderText(int column, const QString &text);
    QString headerText(int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void bookCountChanged(int oldCount, int newCount);

    PhonebookModel &m_book;
    // The entries the views know of, which lags the book only while a change
    // of its count is being announced.
    int m_entries = 0;
    std::array<QString, 3> m_header;
};
