// Watching groups of files: debounced, content-compared, robust to saves through a rename.
#include "ui/file_watch.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace dabro {

namespace {

// A digest of the files' contents; a missing or unreadable file counts as empty and marked.
QByteArray digest_of(const QStringList& files) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& name : files) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            hash.addData(QByteArrayView("\0missing", 8));
            continue;
        }
        hash.addData(&file);
        hash.addData(QByteArrayView("\0", 1));
    }
    return hash.result();
}

// Sizes and modification times to the nanosecond, so two saves within one millisecond differ.
QByteArray stamps_of(const QStringList& files) {
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    for (const QString& name : files) {
        std::error_code error;
        const std::filesystem::path path(QFile::encodeName(name).toStdString());
        const auto size = std::filesystem::file_size(path, error);
        const bool exists = !error;
        const auto time = std::filesystem::last_write_time(path, error);
        stream << exists << static_cast<qint64>(exists ? size : 0)
               << static_cast<qint64>(error ? 0 : time.time_since_epoch().count());
    }
    return out;
}

}  // namespace

FileWatch::FileWatch(int settleMs, QObject* parent)
    : QObject(parent), settleMs_(settleMs), watcher_(new QFileSystemWatcher(this)) {
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &FileWatch::on_event);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &FileWatch::on_event);
}

FileWatch::~FileWatch() = default;

void FileWatch::watch(int id, const QStringList& files) {
    forget(id);
    Group& g = groups_[id];
    for (const QString& f : files) g.files << QFileInfo(f).absoluteFilePath();
    g.digest = digest_of(g.files);
    g.known = stamps_of(g.files);
    g.timer = new QTimer(this);
    g.timer->setSingleShot(true);
    g.timer->setInterval(settleMs_);
    connect(g.timer, &QTimer::timeout, this, [this, id] { settle(id); });
    rewatch();
}

void FileWatch::forget(int id) {
    const auto it = groups_.find(id);
    if (it == groups_.end()) return;
    delete it->second.timer;
    groups_.erase(it);
    rewatch();
}

void FileWatch::forget_all() {
    for (auto& [id, g] : groups_) delete g.timer;
    groups_.clear();
    rewatch();
}

void FileWatch::accept_current(int id) {
    const auto it = groups_.find(id);
    if (it == groups_.end()) return;
    it->second.digest = digest_of(it->second.files);
    it->second.known = stamps_of(it->second.files);
}

// The watcher drops a file once it is removed or renamed over; the file at that path, when
// there is one again, is added back. Paths no group needs any more are let go.
void FileWatch::rewatch() {
    QStringList wanted;
    for (const auto& [id, g] : groups_) {
        for (const QString& f : g.files) {
            if (QFileInfo::exists(f)) wanted << f;
            const QString folder = QFileInfo(f).absolutePath();
            if (QFileInfo::exists(folder)) wanted << folder;
        }
    }
    wanted.removeDuplicates();
    QStringList stale;
    for (const QString& p : watcher_->files() + watcher_->directories())
        if (!wanted.contains(p)) stale << p;
    if (!stale.isEmpty()) watcher_->removePaths(stale);
    QStringList fresh;
    for (const QString& p : wanted)
        if (!watcher_->files().contains(p) && !watcher_->directories().contains(p)) fresh << p;
    if (!fresh.isEmpty()) watcher_->addPaths(fresh);
}

void FileWatch::on_event(const QString& path) {
    rewatch();
    for (auto& [id, g] : groups_) {
        const bool concerned = g.files.contains(path) ||
                               std::any_of(g.files.begin(), g.files.end(), [&](const QString& f) {
                                   return QFileInfo(f).absolutePath() == path;
                               });
        if (!concerned) continue;
        g.stamps = stamps_of(g.files);
        g.timer->start();
    }
}

// Runs once no event came for settleMs. A writer that still changes the files without an
// event (a slow network share) shows as new stamps, and the wait starts again.
void FileWatch::settle(int id) {
    const auto it = groups_.find(id);
    if (it == groups_.end()) return;
    Group& g = it->second;
    const QByteArray stamps = stamps_of(g.files);
    if (stamps != g.stamps) {
        g.stamps = stamps;
        g.timer->start();
        return;
    }
    for (const QString& f : g.files) {
        if (!QFileInfo::exists(f)) {
            emit missing(id, f);
            return;
        }
    }
    // Another file of the folder changed: the group's files are not read again.
    if (stamps == g.known) return;
    g.known = stamps;
    const QByteArray digest = digest_of(g.files);
    if (digest == g.digest) return;
    g.digest = digest;
    emit changed(id);
}

}  // namespace dabro
