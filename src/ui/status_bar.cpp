#include "ui/status_bar.h"

#include "ui/thread_call.h"

namespace zelvor {

StatusBar::StatusBar(const QList<StatusPanel>& panels, QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    for (const StatusPanel& panel : panels) {
        widths_.append(panel.width);
        auto* label = new QLabel(this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        label->setIndent(2);
        label->setText(panel.text);
        labels_.append(label);
    }
}

void StatusBar::SetPanelText(int panel, const QString& text) {
    CallOnOwnerThread(this, [&] {
        if (panel >= 0 && panel < labels_.size()) {
            labels_[panel]->setText(text);
        }
    });
}

QString StatusBar::PanelText(int panel) const {
    return CallOnOwnerThread(this, [&] {
        return panel >= 0 && panel < labels_.size() ? labels_[panel]->text() : QString();
    });
}

QSize StatusBar::sizeHint() const {
    int width = 0;
    for (int panelWidth : widths_) {
        width += panelWidth;
    }
    return {width, fontMetrics().height() + 6};
}

void StatusBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    int left = 0;
    for (int i = 0; i < labels_.size(); ++i) {
        labels_[i]->setGeometry(left, 0, widths_[i], height());
        left += widths_[i];
    }
}

}  // namespace zelvor
