// Recovery copies: writing one beside a note of its sprite's path, listing and removing them.
#include "ui/recovery.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "document/atomic_save.h"

namespace dabro {

namespace {

// Beside each copy, the path of the sprite it stands for.
QString source_note(const QString& copy) {
    return copy + QStringLiteral(".source");
}

}  // namespace

QString recovery_folder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/dabro/recovery");
}

Status write_recovery_copy(const SpriteDocument& document, const HeaderValues& header,
                           const std::string& source, std::string& written) {
    const QString folder = recovery_folder();
    if (!QDir().mkpath(folder))
        return Status::failure("Cannot make the recovery folder " + folder.toStdString());
    const QByteArray sourceBytes = QByteArray::fromStdString(source);
    const QString stem = source.empty()
                             ? QStringLiteral("untitled")
                             : QFileInfo(QFile::decodeName(sourceBytes)).completeBaseName();
    // Two sprites of one name in different folders keep a copy each.
    const QString tag = QString::fromLatin1(
        QCryptographicHash::hash(sourceBytes, QCryptographicHash::Sha1).toHex().left(8));
    const QString copy = QDir(folder).filePath(stem + QLatin1Char('-') + tag + ".spr");
    written = QFile::encodeName(copy).toStdString();
    const std::vector<std::uint8_t> note(sourceBytes.begin(), sourceBytes.end());
    if (Status s = write_file_atomically(QFile::encodeName(source_note(copy)).toStdString(), note);
        !s.ok())
        return s;
    return save_sprite(written, document, header);
}

std::vector<RecoveryCopy> recovery_copies() {
    std::vector<RecoveryCopy> copies;
    const QDir folder(recovery_folder());
    for (const QString& name :
         folder.entryList({QStringLiteral("*.spr")}, QDir::Files, QDir::Name)) {
        const QString path = folder.filePath(name);
        QFile note(source_note(path));
        const QString source =
            note.open(QIODevice::ReadOnly) ? QFile::decodeName(note.readAll()) : QString();
        copies.push_back({path, source});
    }
    return copies;
}

void remove_recovery_copy(const QString& path) {
    QFile::remove(path);
    QFile::remove(source_note(path));
}

}  // namespace dabro
