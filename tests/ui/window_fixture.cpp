#include "window_fixture.h"

#include <QApplication>
#include <QTest>

#include "document/sprite_saver.h"

namespace dabro::test {

std::optional<QString> ScriptedPrompts::choose_file(const FileRequest& request) {
    requests.push_back(request);
    if (answers_.empty()) return std::nullopt;
    const bool cancelled = !answers_.front().has_value();
    // Copying the optional itself trips a false maybe-uninitialized warning in g++ 12 at -O2.
    const QString next = cancelled ? QString() : *answers_.front();
    answers_.pop_front();
    if (cancelled) return std::nullopt;
    return next;
}

SaveChoice ScriptedPrompts::ask_save_changes(const QString& document) {
    saveQuestions.push_back(document);
    if (saveAnswers_.empty()) return SaveChoice::Discard;
    const SaveChoice next = saveAnswers_.front();
    saveAnswers_.pop_front();
    return next;
}

std::unique_ptr<SpriteDocument> sample_document() {
    auto d = make_document({.sequences = 3,
                            .framesPerSequence = 4,
                            .collections = {{3, 1}, {2, 4}, {10, 8}},
                            .imageWidth = 6,
                            .imageHeight = 5});
    const char* const sequenceNames[] = {"walk", "run", "idle"};
    for (int s = 0; s < 3; ++s) {
        Sequence& seq = d->sequences[s];
        seq.set_name(sequenceNames[s]);
        seq.collectionIndex = static_cast<std::uint16_t>(s);
        for (int q = 0; q < seq.frameCount; ++q) seq.imageIndex[q] = static_cast<std::int16_t>(q);
    }
    const char* const collectionNames[] = {"one", "four", "eight"};
    for (int c = 0; c < 3; ++c) d->collections[c].set_name(collectionNames[c]);
    return d;
}

void WindowTest::SetUp() {
    session = make_session();
    form = std::make_unique<TForm1>(*session, prompts);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

void WindowTest::TearDown() {
    form.reset();
}

std::string WindowTest::write_sprite(const SpriteDocument& document, const std::string& name) {
    const std::string path = dir.file(name);
    const Status s = save_sprite(path, document, header_of(document));
    EXPECT_TRUE(s.ok()) << s.message();
    return path;
}

void WindowTest::open(const std::string& path) {
    prompts.answer(path);
    form->Open1Click();
}

void WindowTest::open_document(const SpriteDocument& document, const std::string& name) {
    open(write_sprite(document, name));
}

void WindowTest::click_row(ListBox* list, int row) {
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(index).center());
}

void WindowTest::type_into(QLineEdit* field, const QString& text) {
    if (QApplication::focusWidget() != field) QTest::mouseClick(field, Qt::LeftButton);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

void WindowTest::press_tab() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

}  // namespace dabro::test
