#include "ui/message_boxes.h"

#include "ui/thread_call.h"

#include <QMessageBox>

#include <utility>

namespace zelvor {

std::optional<bool> MessageBoxes::Record(const QString& text, const QString& title) {
    lastText_ = text;
    lastTitle_ = title;
    return std::exchange(nextAnswer_, std::nullopt);
}

void MessageBoxes::Inform(const QString& text, const QString& title) {
    CallOnOwnerThread(owner_, [&] {
        if (Record(text, title)) {
            return;
        }
        auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, owner_);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
}

bool MessageBoxes::Ask(const QString& text, const QString& title) {
    return CallOnOwnerThread(owner_, [&] {
        if (const std::optional<bool> answer = Record(text, title)) {
            return *answer;
        }
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                        owner_);
        box.setTextFormat(Qt::PlainText);
        return box.exec() == QMessageBox::Yes;
    });
}

}  // namespace zelvor
