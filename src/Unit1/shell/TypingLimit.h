#pragma once
// Limits what the user types into a line edit, not what the program puts
// in: QLineEdit::maxLength would also cut a longer text set by the program
// (a number read from the phone). Shortening a text that is already over
// the limit stays possible.
#include <QLineEdit>
#include <QValidator>

class TypingLimit : public QValidator {
public:
    TypingLimit(QLineEdit *edit, int max) : QValidator(edit), m_edit(edit), m_max(max) {}
    State validate(QString &input, int &) const override
    {
        return input.size() <= m_max || input.size() < m_edit->text().size() ? Acceptable : Invalid;
    }

private:
    QLineEdit *m_edit;
    int m_max;
};
