#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace zelvor {

// The window's one modal dialog for choosing a file to open or to save. Commands set the
// settings they need before Show().
class FileDialog : public QObject {
    Q_OBJECT

  public:
    enum class Kind { Open, Save };

    struct Settings {
        Kind kind = Kind::Open;
        QString title;     // empty: the system's caption
        QString fileName;  // proposed name; after a confirmed choice the chosen full path
        QString filter;    // descriptions and patterns alternating, "|" between them
        int filterIndex = 0;
        QString initialFolder;
        QString defaultExtension;  // added to a typed name without one, as "txt"
        bool fileMustExist = true;
        bool confirmReplacing = true;
    };

    explicit FileDialog(QWidget* owner);

    Settings& Values() { return settings_; }
    const Settings& Values() const { return settings_; }

    // True when the user confirmed a file; Values().fileName then holds its path. False when the
    // user cancelled; the file name stays as it was.
    bool Show();

    // Test seam: the next Show() opens no dialog and answers as if the user chose path, or
    // cancelled when path is empty.
    void SetNextFileName(const QString& path) { nextFileName_ = path; }

  private:
    Settings settings_;
    std::optional<QString> nextFileName_;
};

// "文本文档(*.txt)|*.txt" becomes {"文本文档(*.txt) (*.txt)"}; patterns split by ";" are
// listed with spaces.
QStringList NameFilters(const QString& filter);

}  // namespace zelvor
