// The live link's work folder, its watch, and starting the outside editor.
#include "ui/external_edit.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <utility>

#include "interchange/sheet.h"
#include "ui/file_watch.h"

namespace dabro {

namespace {

const QString kEditorKey = QStringLiteral("external/editor");
const QString kLockName = QStringLiteral("in-use.lock");

// Where the work folders are made: $XDG_RUNTIME_DIR, else the temporary folder.
QString work_folder_base() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime).isDir() ? runtime : QDir::tempPath();
}

}  // namespace

void remove_stale_work_folders() {
    const QDir base(work_folder_base());
    for (const QString& name :
         base.entryList({QStringLiteral("dabro-??????")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        QDir folder(base.filePath(name));
        // Only the lock of a session whose process is gone is stale, however old the lock.
        QLockFile lock(folder.filePath(kLockName));
        lock.setStaleLockTime(0);
        if (lock.tryLock(0)) {
            lock.unlock();
            folder.removeRecursively();
        }
    }
}

// Qt's splitCommand knows double quotes only; a command copied from a terminal has single
// quotes and backslashes too.
std::optional<QStringList> split_shell_words(const QString& command) {
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == QLatin1Char('\\')) {
            if (++i < command.size()) word += command[i];
            inWord = true;
        } else if (c == QLatin1Char('\'')) {
            const qsizetype end = command.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0) return std::nullopt;
            word += command.mid(i + 1, end - i - 1);
            i = end;
            inWord = true;
        } else if (c == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= command.size()) return std::nullopt;
                if (command[i] == QLatin1Char('"')) break;
                if (command[i] == QLatin1Char('\\') && i + 1 < command.size() &&
                    QStringLiteral("\\\"$`").contains(command[i + 1]))
                    ++i;
                word += command[i];
            }
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words << word;
    return words;
}

ExternalEdit::ExternalEdit(QObject* parent)
    : QObject(parent), watch_(new FileWatch(kSettleMs, this)) {
    connect(watch_, &FileWatch::changed, this, [this](int id) {
        const auto it = links_.find(id);
        if (it != links_.end()) emit saved(it->second.first, it->second.second);
    });
    connect(watch_, &FileWatch::missing, this,
            [this](int, const QString& file) { emit lost(file); });
}

ExternalEdit::~ExternalEdit() = default;

QString ExternalEdit::folder() const {
    return folder_ ? folder_->path() : QString();
}

Status ExternalEdit::file_for(ExternalTarget target, QString& png) {
    if (!folder_ || !QFileInfo::exists(folder_->path())) {
        const QString base = work_folder_base();
        lock_.reset();
        folder_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/dabro-XXXXXX"));
        if (!folder_->isValid()) {
            const QString error = QStringLiteral("Cannot make a work folder in %1: %2")
                                      .arg(base, folder_->errorString());
            folder_.reset();
            return Status::failure(error.toStdString());
        }
        lock_ = std::make_unique<QLockFile>(QDir(folder_->path()).filePath(kLockName));
        lock_->tryLock(0);
    }
    const QString name =
        target.is_sheet()
            ? QStringLiteral("collection%1-sheet.png").arg(target.collection)
            : QStringLiteral("collection%1-image%2.png").arg(target.collection).arg(target.slot);
    png = QDir(folder_->path()).filePath(name);
    return Status::success();
}

void ExternalEdit::link(ExternalTarget target, const QStringList& files) {
    links_[key(target)] = {target, files.first()};
    std::vector<std::uint8_t> png;
    RgbaImage written;
    const std::string path = QFile::encodeName(files.first()).toStdString();
    if (read_input_file(path, kMaxPngBytes, png).ok() && decode_png(png, path, written).ok())
        take_picture(target, std::move(written));
    watch_->watch(key(target), files);
}

const RgbaImage* ExternalEdit::picture(ExternalTarget target) const {
    const auto it = pictures_.find(key(target));
    return it != pictures_.end() ? &it->second : nullptr;
}

void ExternalEdit::take_picture(ExternalTarget target, RgbaImage picture) {
    pictures_[key(target)] = std::move(picture);
}

QString external_editor_command() {
    return QSettings(QStringLiteral("Dabro"), QStringLiteral("Dabro")).value(kEditorKey).toString();
}

void set_external_editor_command(const QString& command) {
    QSettings(QStringLiteral("Dabro"), QStringLiteral("Dabro")).setValue(kEditorKey, command);
}

Status start_external_editor(const QString& file) {
    const QString command = external_editor_command().trimmed();
    if (command.isEmpty()) {
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(file))) return Status::success();
        return Status::failure(QStringLiteral("No application is set to open %1. Choose one under "
                                              "Options > External editor\u2026")
                                   .arg(file)
                                   .toStdString());
    }
    std::optional<QStringList> words = split_shell_words(command);
    if (!words || words->isEmpty()) {
        return Status::failure(
            QStringLiteral("The external editor command has a quote that is not closed: %1")
                .arg(command)
                .toStdString());
    }
    QStringList arguments = std::move(*words);
    const QString program = arguments.takeFirst();
    arguments << file;
    if (QProcess::startDetached(program, arguments)) return Status::success();
    return Status::failure(
        QStringLiteral("The external editor could not be started: %1").arg(program).toStdString());
}

}  // namespace dabro
