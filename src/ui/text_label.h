#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

namespace zelvor {

// One line of plain text, left-aligned, centred vertically and cut off at the edges; "&" marks
// the next character as an underlined shortcut letter and "&&" draws one "&". Markup is shown
// as it stands. Without autoFillBackground the label draws its text only, over what lies
// behind it.
class TextLabel : public QWidget {
    Q_OBJECT

  public:
    // x and y relative to the label; modifiers 1 Ctrl + 2 Shift + 4 Alt. Answering false keeps
    // the press from the label's own handling.
    using PressHandler = std::function<std::optional<bool>(int x, int y, int modifiers)>;

    explicit TextLabel(QWidget* parent = nullptr);

    QString Text() const { return text_; }
    void SetText(const QString& text);
    // Called at each left-button press; the second press of a double click is not one.
    void SetPressHandler(PressHandler handler) { pressHandler_ = std::move(handler); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QString text_;
    PressHandler pressHandler_;
};

}  // namespace zelvor
