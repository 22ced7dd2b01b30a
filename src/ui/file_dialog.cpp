#include "ui/file_dialog.h"

#include <QFileDialog>

#include <utility>

namespace zelvor {

FileDialog::FileDialog(QWidget* owner) : QObject(owner) {}

bool FileDialog::Show() {
    if (nextFileName_) {
        const QString path = *std::exchange(nextFileName_, std::nullopt);
        if (path.isEmpty()) {
            return false;
        }
        settings_.fileName = path;
        return true;
    }

    QFileDialog dialog(qobject_cast<QWidget*>(parent()), settings_.title);
    const bool open = settings_.kind == Kind::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open && settings_.fileMustExist ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !settings_.confirmReplacing);
    const QStringList filters = NameFilters(settings_.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(settings_.filterIndex, filters.front()));
    }
    if (!settings_.initialFolder.isEmpty()) {
        dialog.setDirectory(settings_.initialFolder);
    }
    if (!settings_.fileName.isEmpty()) {
        dialog.selectFile(settings_.fileName);
    }
    dialog.setDefaultSuffix(settings_.defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    settings_.fileName = dialog.selectedFiles().front();
    return true;
}

QStringList NameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters.append(parts[i] + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

}  // namespace zelvor
