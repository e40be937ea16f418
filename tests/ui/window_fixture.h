#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/sprite_document.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"
#include "ui/Unit1.h"
#include "ui/user_prompts.h"

namespace dabro::test {

// The window's menu item of that object name, or null.
inline QAction* menu_item(const TForm1& window, const char* name) {
    return window.findChild<QAction*>(QLatin1String(name));
}

// Answers the window's file dialogs from a script and records what it was asked and shown.
// An unscripted dialog is cancelled.
class ScriptedPrompts : public UserPrompts {
  public:
    void answer(const std::string& path) { answers_.push_back(QString::fromStdString(path)); }
    void cancel() { answers_.push_back(std::nullopt); }

    std::optional<QString> choose_file(const FileRequest& request) override;
    void show_error(const QString& text) override { errors.push_back(text); }
    void show_about(const QString& title, const QString& text) override {
        abouts.push_back(title + QStringLiteral(": ") + text);
    }
    // Unscripted, the question is answered Discard.
    void answer_save(SaveChoice choice) { saveAnswers_.push_back(choice); }
    SaveChoice ask_save_changes(const QString& document) override;
    // Unscripted, a list question is cancelled.
    void answer_item(int index) { itemAnswers_.push_back(index); }
    std::optional<int> choose_item(const ItemRequest& request) override {
        itemRequests.push_back(request);
        if (itemAnswers_.empty()) return std::nullopt;
        const int index = itemAnswers_.front();
        itemAnswers_.pop_front();
        return index;
    }

    // Unscripted, the window's document is kept.
    void answer_reload(ReloadChoice choice) { reloadAnswers_.push_back(choice); }
    ReloadChoice ask_reload(const QString& document) override {
        reloadQuestions.push_back(document);
        if (reloadAnswers_.empty()) return ReloadChoice::Keep;
        const ReloadChoice next = reloadAnswers_.front();
        reloadAnswers_.pop_front();
        return next;
    }

    // Unscripted, Place frames… is cancelled.
    std::optional<PlaceChoice> placeAnswer;
    std::optional<PlaceChoice> ask_place_frames(const PlaceDialogRequest& request) override {
        placeRequests.push_back(request);
        return std::exchange(placeAnswer, std::nullopt);
    }

    std::vector<FileRequest> requests;
    std::vector<PlaceDialogRequest> placeRequests;
    QStringList reloadQuestions;
    std::vector<ItemRequest> itemRequests;
    QStringList errors;
    QStringList saveQuestions;  // the document each question named
    QStringList abouts;         // "title: text"

  private:
    std::deque<std::optional<QString>> answers_;
    std::deque<SaveChoice> saveAnswers_;
    std::deque<int> itemAnswers_;
    std::deque<ReloadChoice> reloadAnswers_;
};

// Three sequences over collections of 1, 4 and 8 directions, with plain names:
// sequences "walk", "run", "idle" showing collections 0, 1, 2; collections "one", "four",
// "eight" of 3, 2 and 10 frames; every image 6 x 5.
std::unique_ptr<SpriteDocument> sample_document();

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    SpriteDocument& doc() { return session->document; }

    // Writes `document` as a sprite file in the test's folder; returns its path.
    std::string write_sprite(const SpriteDocument& document, const std::string& name = "doc.spr");
    // File > Open, the dialog answered with `path`.
    void open(const std::string& path);
    void open_document(const SpriteDocument& document, const std::string& name = "doc.spr");

    // A real mouse click on a row of a list.
    void click_row(ListBox* list, int row);
    // Gives the field the focus and replaces its text by typing.
    void type_into(QLineEdit* field, const QString& text);
    // Leaves the focused field by Tab.
    void press_tab();

    std::unique_ptr<Session> session;
    ScriptedPrompts prompts;
    std::unique_ptr<TForm1> form;
    TempDir dir;
};

}  // namespace dabro::test
