// SPDX-License-Identifier: GPL-2.0-or-later
// The stored-message decoder as a filter for the cross-check against
// python-gammu: one "hex length" a line in, one line of JSON out.
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "core/messaging/InboxMessages.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream in(stdin), out(stdout);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList f = line.split(u' ', Qt::SkipEmptyParts);
        const DecodedSms d = SmsDecode::decode(f.value(0).toLatin1(), f.value(1, QStringLiteral("-1")).toInt());
        const char *const kinds[] = {"deliver", "submit", "other", "unreadable", "report"};
        const QJsonObject o{{"kind", kinds[d.kind]}, {"number", d.number}, {"centre", d.centre}, {"text", d.text},
                            {"time", Inbox::isoDate(d.time)}, {"reference", d.reference}, {"total", d.total},
                            {"part", d.part}, {"report", Inbox::isoDate(d.reportTime)},
                            {"damaged", d.damaged}};
        out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
        out.flush();
    }
    return 0;
}
