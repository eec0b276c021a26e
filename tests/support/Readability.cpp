// SPDX-License-Identifier: GPL-2.0-or-later
#include "Readability.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QWidget>
#include <cmath>

#include "gui/common/Palette.h"

namespace readability {

namespace {

QString path(const QWidget *w)
{
    QStringList parts;
    for (const QWidget *p = w; p && !p->isWindow(); p = p->parentWidget()) {
        if (!p->objectName().isEmpty() && !p->objectName().startsWith(QLatin1String("qt_")))
            parts.prepend(p->objectName());
        else if (p == w)
            parts.prepend(QString::fromLatin1(p->metaObject()->className()));
    }
    return parts.join(QLatin1Char('/'));
}

bool isViewport(const QWidget *w)
{
    auto *area = qobject_cast<const QAbstractScrollArea *>(w->parentWidget());
    return area && area->viewport() == w;
}

// What a widget without a background of its own is painted on.
QColor backgroundOf(const QWidget *w)
{
    for (const QWidget *p = w; p; p = p->parentWidget()) {
        if (p->autoFillBackground() || p->isWindow())
            return p->palette().color(p->backgroundRole());
    }
    return w->palette().color(QPalette::Window);
}

QString plainCaption(QString text)
{
    // A mnemonic's ampersand takes no room; a doubled one is one.
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(1), QLatin1Char('&'));
    return text;
}

int textWidth(const QFontMetrics &fm, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

struct Checker {
    QStringList found;

    void fault(const QWidget *w, const QString &what) { found << path(w) + QStringLiteral(": ") + what; }

    void fits(const QWidget *w, const QString &text, int need, int have)
    {
        if (need > have)
            fault(w, QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(need).arg(have));
    }

    void readable(const QWidget *w, const QString &text, const QColor &fg, const QColor &bg)
    {
        const double ratio = Palette::contrast(fg, bg);
        if (ratio < 3.0)
            fault(w, QStringLiteral("\"%1\" in %2 on %3: contrast %4:1")
                         .arg(text.left(30), fg.name(), bg.name())
                         .arg(ratio, 0, 'f', 2));
    }

    void label(const QLabel *l)
    {
        const QString text = l->text();
        if (text.isEmpty() || !l->pixmap().isNull())
            return;
        const QRect cr = l->contentsRect();
        const bool rich = l->textFormat() == Qt::RichText
                          || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        if (l->wordWrap()) {
            if (l->heightForWidth(l->width()) > l->height())
                fault(l, QStringLiteral("\"%1\" wraps to %2 px height, has %3")
                             .arg(text.left(30)).arg(l->heightForWidth(l->width())).arg(l->height()));
        } else if (rich) {
            QTextDocument doc;
            doc.setDefaultFont(l->font());
            doc.setDocumentMargin(0);
            doc.setHtml(text);
            fits(l, doc.toPlainText(), int(std::ceil(doc.idealWidth())) + 2 * l->margin(), cr.width());
        } else {
            fits(l, text, textWidth(l->fontMetrics(), plainCaption(text)) + 2 * l->margin(), cr.width());
        }
        if (l->isEnabled()) {
            const bool link = rich && text.contains(QLatin1String("<a "));
            const QColor fg = l->palette().color(link ? QPalette::Link : l->foregroundRole());
            readable(l, text, fg, backgroundOf(l));
        }
    }

    void button(const QAbstractButton *b)
    {
        const QString text = plainCaption(b->text());
        if (text.isEmpty())
            return;
        const QFontMetrics fm = b->fontMetrics();
        if (qobject_cast<const QCheckBox *>(b) || qobject_cast<const QRadioButton *>(b)) {
            fits(b, text, b->sizeHint().width(), b->width());
            if (b->isEnabled())
                readable(b, text, b->palette().color(b->foregroundRole()), backgroundOf(b));
            return;
        }
        const int frame = b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        fits(b, text, textWidth(fm, text) + icon + 2 * frame + 4, b->width());
        if (!b->isEnabled())
            return;
        auto *push = qobject_cast<const QPushButton *>(b);
        auto *tool = qobject_cast<const QToolButton *>(b);
        const bool flat = (push && push->isFlat()) || (tool && tool->autoRaise());
        readable(b, text, b->palette().color(QPalette::ButtonText),
                 flat ? backgroundOf(b->parentWidget()) : b->palette().color(QPalette::Button));
    }

    void lineEdit(const QLineEdit *e)
    {
        const QString text = e->displayText();
        if (text.isEmpty())
            return;
        const int frame = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
        const QMargins m = e->textMargins();
        fits(e, text, e->fontMetrics().horizontalAdvance(text) + 2 * frame + m.left() + m.right() + 4, e->width());
        if (e->isEnabled())
            readable(e, text, e->palette().color(QPalette::Text), e->palette().color(QPalette::Base));
    }

    void combo(const QComboBox *c)
    {
        if (c->isEditable())
            return; // its line edit is checked on its own
        const QString text = c->currentText();
        if (text.isEmpty())
            return;
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.editable = false;
        opt.frame = c->hasFrame();
        const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        const int icon = c->itemIcon(c->currentIndex()).isNull() ? 0 : c->iconSize().width() + 4;
        fits(c, text, c->fontMetrics().horizontalAdvance(text) + icon, field.width());
        if (c->isEnabled())
            readable(c, text, c->palette().color(QPalette::ButtonText), c->palette().color(QPalette::Button));
    }

    void groupBox(const QGroupBox *g)
    {
        const QString title = plainCaption(g->title());
        if (title.isEmpty())
            return;
        fits(g, title, g->fontMetrics().horizontalAdvance(title) + 12, g->width());
        if (g->isEnabled())
            readable(g, title, g->palette().color(QPalette::WindowText), backgroundOf(g));
    }

    // The cells a grid or list shows, in the colours the model gives them.
    void itemView(const QAbstractItemView *v)
    {
        if (!v->isEnabled())
            return;
        if (auto *header = qobject_cast<const QHeaderView *>(v)) {
            readable(v, QStringLiteral("header"), header->palette().color(QPalette::ButtonText),
                     header->palette().color(QPalette::Button));
            return;
        }
        const QAbstractItemModel *model = v->model();
        const QColor text = v->palette().color(QPalette::Text);
        const QColor base = v->palette().color(QPalette::Base);
        if (!model || model->rowCount() == 0) {
            readable(v, QStringLiteral("(empty)"), text, base);
            return;
        }
        const QModelIndex root = v->rootIndex();
        for (int r = 0; r < std::min(model->rowCount(root), 60); ++r) {
            for (int c = 0; c < model->columnCount(root); ++c) {
                const QModelIndex i = model->index(r, c, root);
                const QString shown = i.data(Qt::DisplayRole).toString();
                if (shown.isEmpty())
                    continue;
                const QVariant fg = i.data(Qt::ForegroundRole);
                const QVariant bg = i.data(Qt::BackgroundRole);
                const int before = found.size();
                readable(v, shown, fg.isValid() ? fg.value<QBrush>().color() : text,
                         bg.isValid() ? bg.value<QBrush>().color() : base);
                if (found.size() > before)
                    return; // one faint cell tells it for the grid

            }
        }
    }

    void textArea(const QWidget *w, const QString &text)
    {
        if (w->isEnabled())
            readable(w, text.isEmpty() ? QStringLiteral("(empty)") : text, w->palette().color(QPalette::Text),
                     w->palette().color(QPalette::Base));
    }

    // Controls stacked in one place on purpose: a button over the Abort (or
    // Stop) button it uncovers, and the keyboard's black keys over the white.
    static bool stackedOnPurpose(const QWidget *a, const QWidget *b)
    {
        if (a->inherits("PianoKey") || b->inherits("PianoKey"))
            return true;
        return qobject_cast<const QAbstractButton *>(a) && qobject_cast<const QAbstractButton *>(b)
               && a->geometry() == b->geometry();
    }

    void children(const QWidget *w)
    {
        // A scroll area, a spin box and a combo box place their own parts.
        if (qobject_cast<const QAbstractScrollArea *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
            || qobject_cast<const QComboBox *>(w))
            return;
        // What a viewport holds may scroll past it.
        const bool scrolled = isViewport(w);
        QList<const QWidget *> shown;
        for (const QObject *o : w->children()) {
            auto *c = qobject_cast<const QWidget *>(o);
            if (!c || c->isWindow() || !c->isVisible() || c->width() <= 0 || c->height() <= 0)
                continue;
            shown << c;
            if (!scrolled && !w->rect().contains(c->geometry()))
                fault(c, QStringLiteral("reaches past its parent (%1,%2 %3x%4 in %5x%6)")
                             .arg(c->x()).arg(c->y()).arg(c->width()).arg(c->height())
                             .arg(w->width()).arg(w->height()));
        }
        for (int i = 0; i < shown.size(); ++i)
            for (int j = i + 1; j < shown.size(); ++j)
                if (shown[i]->geometry().intersects(shown[j]->geometry()) && !stackedOnPurpose(shown[i], shown[j]))
                    fault(shown[i], QStringLiteral("lies over %1").arg(path(shown[j])));
    }

    // What a screen reader says for a box that has no caption of its own.
    void named(const QWidget *w)
    {
        const QWidget *p = w->parentWidget();
        const bool part = p && (qobject_cast<const QComboBox *>(p) || qobject_cast<const QAbstractSpinBox *>(p));
        const bool box = qobject_cast<const QLineEdit *>(w) || qobject_cast<const QComboBox *>(w)
                         || qobject_cast<const QSlider *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
                         || qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QTextEdit *>(w);
        if (!box || part)
            return;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(const_cast<QWidget *>(w));
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
            fault(w, QStringLiteral("has no accessible name"));
    }

    void visit(const QWidget *w)
    {
        if (!w->isVisible() || w->width() <= 0 || w->height() <= 0)
            return;
        named(w);
        if (auto *l = qobject_cast<const QLabel *>(w))
            label(l);
        else if (auto *b = qobject_cast<const QAbstractButton *>(w))
            button(b);
        else if (auto *e = qobject_cast<const QLineEdit *>(w))
            lineEdit(e);
        else if (auto *c = qobject_cast<const QComboBox *>(w))
            combo(c);
        else if (auto *t = qobject_cast<const QTextEdit *>(w))
            textArea(t, t->toPlainText());
        else if (auto *p = qobject_cast<const QPlainTextEdit *>(w))
            textArea(p, p->toPlainText());
        else if (auto *v = qobject_cast<const QAbstractItemView *>(w))
            itemView(v);
        if (auto *g = qobject_cast<const QGroupBox *>(w))
            groupBox(g);
        children(w);
        for (const QObject *o : w->children())
            if (auto *c = qobject_cast<const QWidget *>(o); c && !c->isWindow())
                visit(c);
    }
};

} // namespace

QStringList faults(const QWidget *root)
{
    Checker checker;
    checker.visit(root);
    return checker.found;
}

QPalette darkPalette()
{
    const QColor window(49, 54, 59), text(239, 240, 241), base(35, 38, 41);
    QPalette p(text, window, window.lighter(130), window.darker(150), window.darker(120), text, Qt::white, base,
               window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Highlight, QColor(61, 174, 233));
    p.setColor(QPalette::HighlightedText, text);
    p.setColor(QPalette::Link, QColor(41, 128, 185));
    p.setColor(QPalette::LinkVisited, QColor(127, 140, 141));
    p.setColor(QPalette::PlaceholderText, QColor(161, 169, 177));
    const QColor faint(110, 113, 117);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, faint);
    return p;
}

} // namespace readability
