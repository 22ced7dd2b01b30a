#include "ui/text_label.h"

#include <QMouseEvent>
#include <QPainter>

namespace zelvor {

TextLabel::TextLabel(QWidget* parent) : QWidget(parent) {}

void TextLabel::SetText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    update();  // a transparent label's parent repaints what the old text covered
}

void TextLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                     text_);
}

void TextLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressHandler_) {
        const Qt::KeyboardModifiers held = event->modifiers();
        const int modifiers = (held.testFlag(Qt::ControlModifier) ? 1 : 0) +
                              (held.testFlag(Qt::ShiftModifier) ? 2 : 0) +
                              (held.testFlag(Qt::AltModifier) ? 4 : 0);
        const QPoint at = event->position().toPoint();
        if (pressHandler_(at.x(), at.y(), modifiers) == false) {
            event->accept();
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void TextLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // QWidget would treat it as one more press.
    event->ignore();
}

}  // namespace zelvor
