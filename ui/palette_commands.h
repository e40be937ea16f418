// Palette > Import into palette… and Export palette…: any palette, in other programs' formats.
#pragma once

#include <QObject>

namespace dabro {

class TForm1;

// The two items after the first version's Palette items; they run on a selected collection.
class PaletteCommands : public QObject {
    Q_OBJECT
  public:
    explicit PaletteCommands(TForm1& window);

    void import_into_palette();
    void export_palette_as();
    bool can_run() const;

  private:
    TForm1& window_;
};

}  // namespace dabro
