// The PNG bridge's Image items: a PNG into the selected image, the collection to and from a sheet.
#pragma once

#include <QObject>

namespace dabro {

class TForm1;

// Image > Import PNG…, Export collection sheet… and Import collection sheet…, after the
// first version's Image items. Each can run on a readable collection (Import PNG also needs
// a selected image); the items are enabled so.
class ImageCommands : public QObject {
    Q_OBJECT
  public:
    explicit ImageCommands(TForm1& window);

    void import_png();
    void export_sheet();
    void import_sheet();
    bool can_import_png() const;
    bool can_use_sheet() const;

  private:
    TForm1& window_;
};

}  // namespace dabro
