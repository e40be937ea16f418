// Recovery copies: what a session ended by the desktop left unsaved, kept for the next start.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "document/sprite_document.h"
#include "document/sprite_saver.h"
#include "document/status.h"

namespace dabro {

// The window keeps the path of the recovery copy it opened under this property, until the
// recovered sprite is saved and the copy goes.
inline constexpr char kRecoveryCopyProperty[] = "recoveryCopy";

struct RecoveryCopy {
    QString path;    // the copy
    QString source;  // the sprite it was made from; empty for one never saved
};

// $XDG_STATE_HOME/dabro/recovery, by default ~/.local/state/dabro/recovery.
QString recovery_folder();

// Writes the document, atomically, as a copy named after `source` (its sprite's path, empty
// for a sprite never saved); `written` is the copy's path.
Status write_recovery_copy(const SpriteDocument& document, const HeaderValues& header,
                           const std::string& source, std::string& written);

// The copies in the folder, by name.
std::vector<RecoveryCopy> recovery_copies();

// Removes the copy and its note of the source.
void remove_recovery_copy(const QString& path);

}  // namespace dabro
