#include "ui/digits_edit.h"

#include <QKeyEvent>

#include <algorithm>

namespace zelvor {

DigitsEdit::DigitsEdit(QWidget* parent) : QLineEdit(parent) {
    // Composed text would bypass the key check.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void DigitsEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool refused =
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0 &&
        std::any_of(typed.begin(), typed.end(),
                    [](QChar c) { return c.isPrint() && !(c >= u'0' && c <= u'9') && c != u'-'; });
    if (refused) {
        event->accept();  // dropped without a sound
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace zelvor
