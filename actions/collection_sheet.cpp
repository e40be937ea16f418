// The collection sheet commands: export a collection as a sheet, import one back.
#include "actions/collection_sheet.h"

#include <utility>

#include "commands/document_commands.h"
#include "interchange/sheet.h"

namespace dabro {

Status sheet_ready(const SpriteDocument& document, int collection) {
    if (!collection_in_use(document, collection))
        return Status::failure("There is no collection " + std::to_string(collection));
    return check_readable_collection(document, collection);
}

Status export_collection_sheet(const SpriteDocument& document, int collection,
                               const std::string& pngPath, const Progress& progress) {
    if (Status s = sheet_ready(document, collection); !s.ok()) return s;
    return export_sheet(document.collections[static_cast<std::size_t>(collection)], pngPath,
                        progress);
}

Status import_sheet_step(const SpriteDocument& document, int collection, const std::string& pngPath,
                         Encoding encoding, CommandPtr& step, const Progress& progress,
                         const std::string& stepName) {
    if (Status s = sheet_ready(document, collection); !s.ok()) return s;
    SheetContent content;
    if (Status s = read_sheet(pngPath, encoding,
                              &document.collections[static_cast<std::size_t>(collection)], content,
                              progress);
        !s.ok())
        return s;
    if (Status s = check_sheet_fits(document, collection, content.layout); !s.ok()) return s;
    step = replace_collection_command(stepName, collection, collection_content(std::move(content)));
    return Status::success();
}

}  // namespace dabro
