#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace zelvor {

// Takes files dragged onto one widget, its drop area, and hands their paths on as one text.
// Drags that carry no files are refused.
class FileDropTarget : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    // False when a drop area is already registered (it stays in force) or area is null.
    bool RegisterDropArea(QWidget* area);

    // One path alone; several paths each followed by "\r\n".
    static QString PathsText(const QStringList& paths);

  signals:
    void FilesDropped(const QString& paths);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool registered_ = false;
    QPointer<QWidget> receiver_;
};

}  // namespace zelvor
