// Watches groups of files for changes made behind the window, however the writer saves them.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>

class QFileSystemWatcher;
class QTimer;

namespace dabro {

// Each group of files is watched as one: a change to any of them, once every file has kept
// its size and time for settleMs, is reported when the group's contents differ from the
// contents last reported or accepted. The folders are watched as well as the files, so a
// save that writes a new file and renames it over the old one is seen, and a file that
// comes back after it was removed is watched again.
class FileWatch : public QObject {
    Q_OBJECT
  public:
    explicit FileWatch(int settleMs, QObject* parent = nullptr);
    ~FileWatch() override;

    // Starts watching the files as group `id`, their present contents taken as known.
    void watch(int id, const QStringList& files);
    void forget(int id);
    void forget_all();
    // The group's present contents are the window's own: no change is reported for them.
    void accept_current(int id);
    bool watching(int id) const { return groups_.count(id) != 0; }

  signals:
    // The group's contents changed and settled.
    void changed(int id);
    // A file of the group is not there once the changes settled.
    void missing(int id, const QString& file);

  private:
    struct Group {
        QStringList files;
        QByteArray digest;  // of the contents last reported or accepted
        QByteArray stamps;  // sizes and times when the settle timer last started
        QByteArray known;   // sizes and times that go with `digest`
        QTimer* timer = nullptr;
    };
    void on_event(const QString& path);
    void settle(int id);
    void rewatch();

    int settleMs_;
    QFileSystemWatcher* watcher_;
    std::map<int, Group> groups_;
};

}  // namespace dabro
