#pragma once

#include <QString>
#include <QWidget>

#include <optional>

namespace zelvor {

// The window's message boxes, shown on the owner's thread whichever thread asks for them.
// Texts are shown as plain text.
class MessageBoxes {
  public:
    explicit MessageBoxes(QWidget* owner) : owner_(owner) {}

    // Shows an information box and returns at once; the box closes itself.
    void Inform(const QString& text, const QString& title);
    // Asks a yes-or-no question and waits for the answer.
    bool Ask(const QString& text, const QString& title);

    // Test seam: the next box is not shown; Ask answers as given. Set and read these on the
    // owner's thread.
    void SetNextAnswer(bool yes) { nextAnswer_ = yes; }
    const QString& LastText() const { return lastText_; }
    const QString& LastTitle() const { return lastTitle_; }

  private:
    // Notes the box and hands out the next answer, if one was set.
    std::optional<bool> Record(const QString& text, const QString& title);

    QWidget* owner_;
    std::optional<bool> nextAnswer_;
    QString lastText_;
    QString lastTitle_;
};

}  // namespace zelvor
