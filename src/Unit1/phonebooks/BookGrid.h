#pragma once
// The look every phonebook grid shares: three columns (entry number, phone
// number, name), row 0 a fixed header row and column 0 a fixed number
// column, so the cell of entry r is row r.
#include <QColor>
#include <QString>

class QTableWidget;

namespace BookGrid {
inline const QColor Silver{192, 192, 192};
QTableWidget *make(const QString &objectName, int rows);
}
