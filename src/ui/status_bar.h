#pragma once

#include <QLabel>
#include <QList>
#include <QString>
#include <QWidget>

namespace zelvor {

struct StatusPanel {
    int width = 0;
    QString text;
};

// A bar of sunken text panels side by side from its left edge; each panel keeps its width
// whatever the bar's width, and what lies beyond the bar's right edge is cut off.
// The panel text operations may be called from any thread.
class StatusBar : public QWidget {
    Q_OBJECT

  public:
    explicit StatusBar(const QList<StatusPanel>& panels, QWidget* parent = nullptr);

    // A panel number outside the bar changes nothing.
    void SetPanelText(int panel, const QString& text = {});
    // Empty for a panel number outside the bar.
    QString PanelText(int panel) const;

    QSize sizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QList<int> widths_;
    QList<QLabel*> labels_;
};

}  // namespace zelvor
