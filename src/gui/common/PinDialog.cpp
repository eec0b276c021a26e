// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/PinDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
QLineEdit *codeEdit(const QString &name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setEchoMode(QLineEdit::Password);
    e->setMaxLength(8);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), e));
    return e;
}
} // namespace

PinDialog::PinDialog(StatusAt::Lock lock, const QString &note, QWidget *parent) : QDialog(parent), m_lock(lock)
{
    setObjectName(QStringLiteral("PinDialog"));
    setWindowTitle(QStringLiteral("SIM PIN"));
    const bool puk = lock == StatusAt::Lock::Puk;
    QString text = puk ? QStringLiteral("The SIM is blocked. Enter its PUK and a new PIN.")
                       : QStringLiteral("The SIM waits for its PIN.");
    if (!note.isEmpty())
        text = note + QLatin1Char('\n') + text;
    PinText = new QLabel(text, this);
    PinText->setObjectName(QStringLiteral("PinText"));
    PinText->setWordWrap(true);

    auto *fields = new QFormLayout;
    if (puk) {
        editPuk = codeEdit(QStringLiteral("editPuk"), this);
        fields->addRow(QStringLiteral("PUK:"), editPuk);
    }
    editPin = codeEdit(QStringLiteral("editPin"), this);
    fields->addRow(puk ? QStringLiteral("New PIN:") : QStringLiteral("PIN:"), editPin);

    btnPinOk = new QPushButton(QStringLiteral("OK"), this);
    btnPinOk->setObjectName(QStringLiteral("btnPinOk"));
    btnPinOk->setDefault(true);
    btnPinCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnPinCancel->setObjectName(QStringLiteral("btnPinCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnPinOk);
    buttons->addWidget(btnPinCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PinText);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    auto update = [this] { btnPinOk->setEnabled(command().has_value()); };
    connect(editPin, &QLineEdit::textChanged, this, update);
    if (editPuk)
        connect(editPuk, &QLineEdit::textChanged, this, update);
    update();
    connect(btnPinOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnPinCancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<QByteArray> PinDialog::command() const
{
    if (m_lock == StatusAt::Lock::Puk)
        return StatusAt::pukCommand(editPuk->text(), editPin->text());
    return StatusAt::pinCommand(editPin->text());
}

std::optional<QByteArray> PinDialog::ask(StatusAt::Lock lock, const QString &note, QWidget *parent)
{
    PinDialog dialog(lock, note, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const std::optional<QByteArray> out = dialog.command();
    dialog.editPin->clear();
    if (dialog.editPuk)
        dialog.editPuk->clear();
    return out;
}
