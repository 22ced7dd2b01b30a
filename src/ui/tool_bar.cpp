#include "ui/tool_bar.h"

#include "ui/thread_call.h"

#include <QFrame>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

namespace zelvor {
namespace {

constexpr int kImageSize = 32;
constexpr int kSeparatorWidth = 8;
constexpr int kDividerHeight = 2;

}  // namespace

ToolBar::ToolBar(QList<ToolBarButton> entries, const QList<QIcon>& images, QWidget* parent)
    : QWidget(parent), entries_(std::move(entries)) {
    setAutoFillBackground(true);
    for (int position = 0; position < entries_.size(); ++position) {
        const ToolBarButton& entry = entries_[position];
        if (entry.kind == ToolBarButton::Kind::Separator) {
            auto* line = new QFrame(this);
            line->setFrameShape(QFrame::VLine);
            line->setFrameShadow(QFrame::Sunken);
            widgets_.append(line);
            continue;
        }
        auto* button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize({kImageSize, kImageSize});
        if (entry.image >= 0 && entry.image < images.size()) {
            button->setIcon(images[entry.image]);
        }
        button->setText(entry.caption);
        connect(button, &QToolButton::clicked, this,
                [this, position] { emit ButtonClicked(position); });
        widgets_.append(button);
    }
}

QString ToolBar::GetButtonCaption(int position) const {
    return CallOnOwnerThread(this, [&] {
        return position >= 0 && position < entries_.size() ? entries_[position].caption : QString();
    });
}

void ToolBar::SetButtonCaption(int position, const QString& caption) {
    CallOnOwnerThread(this, [&] {
        if (position < 0 || position >= entries_.size() ||
            entries_[position].kind == ToolBarButton::Kind::Separator) {
            return;
        }
        entries_[position].caption = caption;
        static_cast<QToolButton*>(widgets_[position])->setText(caption);
        FitToWidth(width());
    });
}

void ToolBar::FitToWidth(int width) {
    int rowHeight = 0;
    for (QWidget* widget : widgets_) {
        rowHeight = std::max(rowHeight, widget->sizeHint().height());
    }
    int x = 0;
    int y = kDividerHeight;
    for (QWidget* widget : widgets_) {
        const int entryWidth = qobject_cast<QToolButton*>(widget) != nullptr
                                   ? widget->sizeHint().width()
                                   : kSeparatorWidth;
        if (x > 0 && x + entryWidth > width) {
            x = 0;
            y += rowHeight;
        }
        widget->setGeometry(x, y, entryWidth, rowHeight);
        x += entryWidth;
    }
    resize(width, y + rowHeight);
}

void ToolBar::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The divider along the top edge: a shadow line over a light one.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 1, width(), 1);
}

}  // namespace zelvor
