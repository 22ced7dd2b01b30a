#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QWidget>

namespace zelvor {

struct ToolBarButton {
    enum class Kind { PushButton, Separator };
    Kind kind = Kind::PushButton;
    int image = -1;  // index into the bar's image list; -1 for none
    QString caption;
};

// A bar of flat picture buttons with their captions below the images. Entries are counted by
// position, separators included; buttons that do not fit the width wrap onto further rows.
// The caption operations may be called from any thread.
class ToolBar : public QWidget {
    Q_OBJECT

  public:
    ToolBar(QList<ToolBarButton> entries, const QList<QIcon>& images, QWidget* parent = nullptr);

    // Empty for a separator, an empty caption or a position outside the list.
    QString GetButtonCaption(int position) const;
    // A position outside the list or a separator changes nothing.
    void SetButtonCaption(int position, const QString& caption = {});

    // Places the entries across width and takes the height their rows need.
    void FitToWidth(int width);

  signals:
    void ButtonClicked(int position);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QList<ToolBarButton> entries_;
    QList<QWidget*> widgets_;  // one per entry, by position
};

}  // namespace zelvor
