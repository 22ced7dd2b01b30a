#include "ui/file_drop_target.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace zelvor {
namespace {

QStringList DroppedFiles(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
        }
    }
    return paths;
}

}  // namespace

bool FileDropTarget::RegisterDropArea(QWidget* area) {
    if (registered_ || area == nullptr) {
        return false;
    }
    registered_ = true;
    // A scroll area receives drops on its viewport.
    auto* scrollArea = qobject_cast<QAbstractScrollArea*>(area);
    receiver_ = scrollArea != nullptr ? scrollArea->viewport() : area;
    area->setAcceptDrops(true);
    receiver_->setAcceptDrops(true);
    receiver_->installEventFilter(this);
    return true;
}

QString FileDropTarget::PathsText(const QStringList& paths) {
    if (paths.size() == 1) {
        return paths.front();
    }
    QString text;
    for (const QString& path : paths) {
        text += path + QStringLiteral("\r\n");
    }
    return text;
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != receiver_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (DroppedFiles(drag->mimeData()).isEmpty()) {
                drag->ignore();
            } else {
                drag->acceptProposedAction();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList paths = DroppedFiles(drop->mimeData());
            if (paths.isEmpty()) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            emit FilesDropped(PathsText(paths));
            return true;
        }
        default:
            return false;
    }
}

}  // namespace zelvor
