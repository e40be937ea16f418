// The live link's commands: the selected image or sheet opened in an outside editor, each save
// brought back.
#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

#include "document/status.h"
#include "ui/external_edit.h"

namespace dabro {

class TForm1;

// Image > Edit externally… (and its popup item), Image > Edit collection sheet externally…
// and Options > External editor…. The links end with the document they were made for.
class LiveLink : public QObject {
    Q_OBJECT
  public:
    explicit LiveLink(TForm1& window);
    ~LiveLink() override;

    void edit_image();
    void edit_sheet();
    void choose_editor();
    // Whether the selection has something to edit: a readable collection (and an image).
    bool can_edit_image() const;
    bool can_edit_sheet() const;

  private:
    // The links and their work folder go; the next link starts a new folder.
    void end_links();
    // The target's files for the outside editor, made when missing; empty on failure.
    QString file_for(ExternalTarget target);
    void start(ExternalTarget target, const QStringList& files);
    void apply(ExternalTarget target, const QString& png);

    TForm1& window_;
    std::unique_ptr<ExternalEdit> edit_;
};

}  // namespace dabro
