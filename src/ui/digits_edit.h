#pragma once

#include <QLineEdit>

namespace zelvor {

// An edit box into which the user can type only the digits "0" to "9" and "-". Control
// characters pass; text pasted or dropped is taken as it stands.
class DigitsEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit DigitsEdit(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace zelvor
