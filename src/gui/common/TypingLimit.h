// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Limits what the user types into a line edit, not what the program puts
// in: QLineEdit::maxLength would also cut a longer text set by the program
// (a number or melody read from the phone). Shortening a text that is
// already over the limit stays possible.
#include <QLineEdit>
#include <QValidator>

class TypingLimit : public QValidator {
public:
    TypingLimit(QLineEdit *edit, int max) : QValidator(edit), m_max(max), m_accepted(edit->text().size())
    {
        // The edit already holds the new text when it asks; remember the old.
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_accepted = text.size(); });
    }
    State validate(QString &input, int &) const override
    {
        return input.size() <= m_max || input.size() < m_accepted ? Acceptable : Invalid;
    }

private:
    int m_max;
    qsizetype m_accepted;
};
