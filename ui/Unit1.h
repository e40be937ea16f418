// The editor's one window: its controls, its handlers and its refresh chain.
#pragma once

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/history.h"
#include "document/document_edits.h"
#include "document/sprite_document.h"
#include "document/sprite_saver.h"
#include "document/status.h"
#include "ui/list_box.h"
#include "ui/user_prompts.h"

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;

namespace dabro {

class ImageView;
class FileWatch;
class WindowCommands;

// A path as the file layer takes it: in the encoding of the system's file names.
std::string local_path(const QString& path);

// The selection of the window's five lists, each the row picked or -1, as the views beside
// the window (the player) read it; a row may lie beyond what the document has in use.
struct ListSelection {
    int sequence = -1;         // "Sequences"
    int sequenceFrame = -1;    // "Frames in sequence"
    int collection = -1;       // "Image collections"
    int collectionFrame = -1;  // "Frames"
    int direction = -1;        // "Directions"
};

// The editor's one window. Its controls are public members named as the window names them;
// its position in the document is the selection of the five lists. The refresh operations
// (gui_*) write the document into the controls; each handler builds its change as a command
// and runs it through run() as one step of the history, which then refreshes from the level
// the step changed.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // The window over the process-wide session, with the real dialogs.
    explicit TForm1(QWidget* parent = nullptr);
    // The window over `session`, asking `prompts` for file names and showing errors there.
    TForm1(Session& session, UserPrompts& prompts, QWidget* parent = nullptr);
    ~TForm1() override;

    Session& session() { return session_; }
    // The dialogs and the error display, for the views beside the window (the player).
    UserPrompts& prompts() { return *prompts_; }
    // The rows picked in the five lists.
    ListSelection selection() const;
    QString status_text() const;
    const History& history() const { return history_; }
    // Runs a step made beside the window (the player's moves): an edit pending in a field is
    // committed first, and the step's entries are selected as undo selects them. Given no
    // step, shows the newest step again after it was changed in place. Returns whether the
    // document changed.
    bool run_beside(CommandPtr command);
    // Whether the document differs from the file it was opened from or last saved to.
    bool is_modified() const;

    // Opens a sprite file as File > Open does once its dialog is answered, behind the
    // unsaved-changes guard. Returns whether the file was opened.
    bool open_file(const std::string& path);
    // A desktop's logout or Ctrl+C: unsaved changes go to a recovery copy, then the window
    // ends as Quit does, unasked. At start, the copies left so are offered.
    void end_on_signal();
    void recover_at_start();

    // What the command classes (ui/*_commands.h, ui/live_link.h) work through: the window's
    // menu items, the document, the selection, the history and the status line.
    WindowCommands& commands() { return *commands_; }
    SpriteDocument& doc() { return session_.document; }
    int selected_sequence() const;
    int selected_frame() const;
    int selected_collection() const;
    ImageRef selected_image() const;
    // Shows a failure in the error display; true when there was none.
    bool reported_ok(const Status& status);
    using RefreshOperation = void (TForm1::*)();
    // Runs a command as one step of the history, then its refresh: `shown` when given (the
    // handler's own refresh), else the command's refresh level. The refresh runs also when
    // the command changed nothing, which adds no step. Returns whether the document changed.
    bool run(CommandPtr command, RefreshOperation shown = nullptr);
    void set_status(const QString& text);
    // A dialog of the PNG bridge: it starts in the sprite's folder, and offers the name last
    // chosen in it only there.
    std::optional<std::string> choose_beside_sprite(FileDialog dialog);
    std::optional<std::string> choose_file(FileDialog dialog);
    std::optional<std::string> choose_file(FileRequest request);
    // Brings a PNG into the selected image as one step (Import PNG, and a PNG dropped).
    void import_png_file(const std::string& path);

    // Refresh chain.
    void gui_head_ref();
    void gui_seq_box_ref();
    void gui_seq_box_ref_sub();
    void gui_col_box_ref();
    void gui_col_box_ref_sub();
    void gui_col_edit_ref();
    void gui_cfr_box_ref();
    void gui_cfr_box_ref_sub();
    void gui_dir_box_ref();
    void gui_dir_box_ref_sub();
    void gui_fr_box_ref();
    void gui_fr_box_ref_sub();
    void gui_image_ref();

    // List clicks.
    void ListBox1Click(QObject* Sender = nullptr);
    void ListBox2Click(QObject* Sender = nullptr);
    void ListBox3Click(QObject* Sender = nullptr);
    void ListBox4Click(QObject* Sender = nullptr);
    void ListBox5Click(QObject* Sender = nullptr);

    // Field handlers and table buttons.
    void Edit10Exit(QObject* Sender = nullptr);
    void Edit11Exit(QObject* Sender = nullptr);
    void Edit8Exit(QObject* Sender = nullptr);
    void Edit9Exit(QObject* Sender = nullptr);
    void Edit20Exit(QObject* Sender = nullptr);
    void Button1Click(QObject* Sender = nullptr);
    void Button2Click(QObject* Sender = nullptr);
    void Button3Click(QObject* Sender = nullptr);
    void Button4Click(QObject* Sender = nullptr);

    // Menu commands.
    void Open1Click(QObject* Sender = nullptr);
    void Save2Click(QObject* Sender = nullptr);
    void Save1Click(QObject* Sender = nullptr);
    void New1Click(QObject* Sender = nullptr);
    void Quit1Click(QObject* Sender = nullptr);
    void load_imagesClick(QObject* Sender = nullptr);
    void ImportImage1Click(QObject* Sender = nullptr);
    void Importbyname1Click(QObject* Sender = nullptr);
    void HalveImage1Click(QObject* Sender = nullptr);
    void Alignweapon1Click(QObject* Sender = nullptr);
    void Align1Click(QObject* Sender = nullptr);
    void ImportPalette1Click(QObject* Sender = nullptr);
    void ExportPalette1Click(QObject* Sender = nullptr);
    void Undo1Click(QObject* Sender = nullptr);
    void Redo1Click(QObject* Sender = nullptr);
    void ClearRecent1Click(QObject* Sender = nullptr);

    // Help > About Dabro: the version and what the program is.
    void AboutDabro1Click(QObject* Sender = nullptr);
    // The selected image to PNG, or raw by its name (Unit1_image.cpp).
    void ExportImage1Click(QObject* Sender = nullptr);

    // Centres the selected image's box in a frame of that size.
    void align(std::int32_t frameWidth, std::int32_t frameHeight);
    // Reads a palette file into palette 0 of the selected collection.
    void read_palette(const std::string& path);

    // "Sprite Header"
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLabel* Label2;
    QLineEdit* Edit4;
    QLineEdit* Edit5;
    QLabel* Label3;
    QLineEdit* Edit6;
    QLineEdit* Edit7;
    // "Sequences"
    QGroupBox* GroupBox2;
    ListBox* ListBox1;
    QLabel* Label6;
    QLineEdit* Edit10;
    QLabel* Label7;
    QLineEdit* Edit11;
    QPushButton* Button1;
    QPushButton* Button2;
    // "Frames in sequence"
    QGroupBox* GroupBox4;
    ListBox* ListBox2;
    QLabel* Label4;
    QLabel* Label5;
    QLineEdit* Edit8;
    QLineEdit* Edit9;
    QPushButton* Button3;
    QPushButton* Button4;
    // "Image collections"
    QGroupBox* GroupBox3;
    QLabel* Label8;
    QLineEdit* Edit12;
    ListBox* ListBox3;
    QLabel* Label9;
    QLineEdit* Edit13;
    QLabel* Label10;
    QLineEdit* Edit14;
    // "Frames"
    QGroupBox* GroupBox6;
    ListBox* ListBox4;
    // "Directions"
    QGroupBox* GroupBox5;
    ListBox* ListBox5;
    QLabel* Label15;
    QLabel* Label11;
    QLineEdit* Edit15;
    QLabel* Label12;
    QLineEdit* Edit16;
    QLabel* Label13;
    QLineEdit* Edit17;
    QLabel* Label14;
    QLineEdit* Edit18;
    QLabel* Label16;
    QLineEdit* Edit20;
    QLabel* Label17;
    QLineEdit* Edit21;
    // Preview
    QFrame* Bevel1;
    ImageView* Image1;
    QStatusBar* StatusBar1;

    QMenuBar* MainMenu1;
    QAction* Open1;
    QAction* Save2;
    QAction* Save1;
    QAction* New1;
    QAction* N1;
    QAction* Quit1;
    QAction* load_images;
    QAction* Help1;
    QAction* AboutDabro1;
    QAction* ImportImage2;
    QAction* Importbyname1;
    QAction* HalveImage2;
    QAction* Alignweapon1;
    QAction* Align1;
    QAction* ExportImage1;
    QAction* ImportPalette2;
    QAction* ExportPalette2;

    // Added after the first version's menus.
    QMenu* OpenRecent1;
    QAction* ClearRecent1;
    QMenu* EditMenu;
    QAction* Undo1;
    QAction* Redo1;

    QMenu* PopupMenu1;
    QAction* ImportImage1;
    QAction* ImportPalette1;
    QAction* HalveImage1;
    QAction* N2;
    QAction* SaveImage1;
    QAction* ExportPalette1;

  signals:
    // The preview was just asked to show the selected image: every refresh and every list
    // click ends so. Views beside the window (the player) follow the document and the
    // selection through it.
    void documentShown();
    // Another document (opened, new, or given up at the end) replaces the one shown.
    void documentReplaced();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    TForm1(Session& session, UserPrompts* prompts, QWidget* parent);
    void build_controls();
    void build_menus();
    void wire_events();

    QString sequence_text(int sequence) const;
    QString frame_text(int sequence, int frame) const;
    QString collection_text(int collection) const;
    QString direction_text(int collection, int frame, int direction) const;

    // The exit handlers; false when a field's text failed to convert.
    bool commit_sequence_name();
    bool commit_collection_index();
    bool commit_image_index();
    bool commit_frame_value();
    bool commit_size_and_box();
    // Runs the exit handler of the field that has the focus, if it has one.
    bool commit_focused_field();
    // Runs the exit handler of `field`, if it has one.
    bool run_exit_handler(QObject* field);
    bool header_from_fields(HeaderValues& header);

    bool convert(const QLineEdit* field, std::int32_t& value);
    // The text the refresh chain last wrote into the field.
    QString shown_text(const QLineEdit* field) const;
    // Runs a table command: refreshes after its change, or shows its refusal in the status
    // line. `outcome` is the variable the command reports to.
    void run_table_edit(CommandPtr command, const TableEdit& outcome, const QString& fullText = {});

    // Runs a command as one step of the history, with no refresh.
    bool record(CommandPtr command);
    void refresh(Refresh level);
    // Undo and redo: selects the step's entries, then runs its refresh.
    void show_step(const Command& step);
    // The caption's modification mark and the Edit menu's captions follow the history.
    void document_state_changed();
    // Puts the focused field's text back to what the document shows; false when it holds
    // no edit of the user's.
    bool revert_focused_field();

    // The unsaved-changes guard: true when the document may be replaced or closed.
    bool may_discard_document();
    // Saves to the current file, or through Save as when there is none; false when it
    // failed or was cancelled.
    bool save_document();
    bool save_to(const std::string& path);
    // Opens the file; given `failure`, a failure or a file without a sprite goes there unshown.
    bool load_file(const std::string& path, Status* failure = nullptr);
    void remember_recent(const std::string& path);
    void forget_recent(const QString& file);
    void rebuild_recent_menu();
    void import_raw_file(const std::string& path);
    void set_caption_from_file_name();
    // "Dabro v1.0" until the first Open or New, then the file's name; marked when modified.
    void update_caption();

    // The open file is watched (Unit1_reload.cpp); a change made behind the window reloads
    // it, or asks first when the window holds unsaved changes.
    void watch_open_file();
    void stop_watching_open_file();
    // The window wrote the open file: its contents are no change to reload.
    void open_file_saved();
    void open_file_changed();
    void reload_keeping_selection();
    // Unsaved changes, counting a field's edit not yet committed.
    bool has_unsaved_edits() const;
    bool is_size_or_box_field(const QObject* object) const;

    Session& session_;
    std::unique_ptr<UserPrompts> ownedPrompts_;
    UserPrompts* prompts_;
    std::array<QString, kFileDialogCount> lastPaths_;  // per dialog, offered again next time
    // The collection index that gui_seq_box_ref_sub hands to gui_col_box_ref.
    int collectionHandOver_ = 0;
    QLabel* statusText_ = nullptr;
    std::array<QLineEdit*, 6> sizeAndBoxFields_{};
    std::array<QLineEdit*, 7> headerFields_{};
    bool captionShowsFile_ = false;
    History history_;
    // A header field's text was typed since the last open or save. Header values are saved
    // from the fields, so they have no undo step of their own.
    bool headerEdited_ = false;
    WindowCommands* commands_ = nullptr;
    FileWatch* diskWatch_ = nullptr;
    bool askingReload_ = false;
    // The user kept the window's sprite over a changed file: it differs from the file.
    bool diskDiffers_ = false;
};

}  // namespace dabro
