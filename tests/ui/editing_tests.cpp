#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "ui/image_view.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

using Editing = WindowTest;

TEST_F(Editing, TypedNameIsStoredWhenTheFieldIsLeft) {
    open_document(*sample_document());
    type_into(form->Edit10, "jump");
    EXPECT_EQ(doc().sequences[0].name.str(), "walk") << "not before the field is left";
    press_tab();
    EXPECT_EQ(doc().sequences[0].name.str(), "jump");
    EXPECT_EQ(doc().sequences[0].nameLength, 4);
    EXPECT_EQ(form->ListBox1->item_text(0), "jump / 0");
    EXPECT_FALSE(form->Edit10->isModified()) << "the refresh rewrote the field";
}

// Names are shown as UTF-8 where their bytes are valid UTF-8, else as Latin-1, and a typed
// name is stored in the encoding it is shown in.
TEST_F(Editing, NamesAreShownAndStoredAsUtf8OrLatin1) {
    auto d = sample_document();
    d->sequences[0].set_name("\xC5\x9Amok");  // UTF-8
    d->sequences[1].set_name("caf\xE9");      // Latin-1
    open_document(*d);
    doc().collections[0].images[0].sourceName.assign("\xC3\xA9t\xC3\xA9.raw");
    form->gui_dir_box_ref();
    EXPECT_EQ(form->ListBox1->item_text(0), QString::fromUtf8("\u015Amok / 0"));
    EXPECT_EQ(form->ListBox1->item_text(1), QString::fromUtf8("caf\u00E9 / 1"));
    EXPECT_EQ(form->ListBox5->item_text(0), QString::fromUtf8("One Sided / \u00E9t\u00E9.raw"));

    // Keys that type characters beyond ASCII, as an input method delivers them.
    const auto type_text = [](QLineEdit* field, const QString& text) {
        QTest::mouseClick(field, Qt::LeftButton);
        field->selectAll();
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    };
    type_text(form->Edit10, QString::fromUtf8("\u015Amoki"));
    press_tab();
    EXPECT_EQ(doc().sequences[0].name.str(), "\xC5\x9Amoki");
    click_row(form->ListBox1, 1);
    type_text(form->Edit10, QString::fromUtf8("caf\u00E9s"));
    press_tab();
    EXPECT_EQ(doc().sequences[1].name.str(), "caf\xE9s");
}

TEST_F(Editing, ALongNameKeepsItsFirst40Characters) {
    open_document(*sample_document());
    const QString name45 = QString(40, QLatin1Char('a')) + "bcdef";
    type_into(form->Edit10, name45);
    press_tab();
    EXPECT_EQ(doc().sequences[0].name.str(), std::string(40, 'a'));
    EXPECT_EQ(form->Edit10->text(), QString(40, QLatin1Char('a')));
}

// Typed through an input method: characters beyond Latin-1 are stored as UTF-8.
class CutNames : public WindowTest,
                 public ::testing::WithParamInterface<std::pair<const char*, std::string>> {};

TEST_P(CutNames, KeepWholeCharactersWithin40Bytes) {
    const auto& [typed, stored] = GetParam();
    open_document(*sample_document());
    type_into(form->Edit10, QString());
    for (const QChar c : QString::fromUtf8(typed))
        QTest::sendKeyEvent(QTest::Click, form->Edit10, Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
    press_tab();
    EXPECT_EQ(doc().sequences[0].name.str(), stored);
    EXPECT_EQ(doc().sequences[0].nameLength, static_cast<std::int32_t>(stored.size()));
    EXPECT_EQ(form->Edit10->text(), QString::fromStdString(stored));
}

INSTANTIATE_TEST_SUITE_P(
    Window, CutNames,
    ::testing::Values(
        std::pair{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\u015A", std::string(39, 'a')},
        std::pair{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\u20AC!", std::string(38, 'a')},
        std::pair{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\u015Ab",
                  std::string(38, 'a') + "\xC5\x9A"}));

// A write of the value already stored still runs the handler's refresh, which shows the value
// as stored and the selection it implies; it adds no step.
TEST_F(Editing, StoringTheSameValueStillRefreshes) {
    auto d = sample_document();
    d->sequences[0].set_name(std::string(40, 'a'));
    open_document(*d);
    type_into(form->Edit11, "65536");  // stores 0, as before
    press_tab();
    EXPECT_EQ(form->Edit11->text(), "0");
    click_row(form->ListBox3, 1);
    type_into(form->Edit11, "0");
    press_tab();
    EXPECT_EQ(form->ListBox3->item_index(), 0) << "the sequence's own collection again";
    type_into(form->Edit10, QString(40, QLatin1Char('a')) + "bcdef");
    press_tab();
    EXPECT_EQ(form->Edit10->text(), QString(40, QLatin1Char('a')));
    EXPECT_EQ(form->history().size(), 0u);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(form->history().size(), 1u);
    const QString left = form->Edit15->text();
    type_into(form->Edit15, "77");
    QTest::keyClick(form->Edit15, Qt::Key_A, Qt::ControlModifier);  // already aligned
    EXPECT_EQ(form->Edit15->text(), left);
    EXPECT_EQ(form->history().size(), 1u);
}

TEST_F(Editing, LeavingByAClickOnAListCommitsBeforeTheClickMovesTheSelection) {
    open_document(*sample_document());
    type_into(form->Edit10, "renamed");
    click_row(form->ListBox1, 2);
    EXPECT_EQ(doc().sequences[0].name.str(), "renamed");
    EXPECT_EQ(doc().sequences[2].name.str(), "idle");
    EXPECT_EQ(form->ListBox1->item_index(), 2);
    EXPECT_EQ(form->Edit10->text(), "idle");
}

struct NumberEdit {
    const char* field;
    const char* typed;
    const char* shown;
};

class NumberFields : public WindowTest, public ::testing::WithParamInterface<NumberEdit> {};

TEST_P(NumberFields, StoreTheirWidthAndShowItBack) {
    const NumberEdit e = GetParam();
    open_document(*sample_document());
    auto* field = form->findChild<QLineEdit*>(QLatin1String(e.field));
    type_into(field, QLatin1String(e.typed));
    press_tab();
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_EQ(field->text(), QLatin1String(e.shown));
}

INSTANTIATE_TEST_SUITE_P(
    Window, NumberFields,
    ::testing::Values(NumberEdit{"Edit11", "70000", "4464"}, NumberEdit{"Edit11", "-1", "65535"},
                      NumberEdit{"Edit11", " 42", "42"}, NumberEdit{"Edit11", "$1F", "31"},
                      NumberEdit{"Edit8", "65535", "-1"}, NumberEdit{"Edit8", "32768", "-32768"},
                      NumberEdit{"Edit9", "-2147483648", "-2147483648"},
                      NumberEdit{"Edit9", "$FFFFFFFF", "-1"}));

TEST_F(Editing, StoredValuesLandInTheSelectedEntries) {
    open_document(*sample_document());
    click_row(form->ListBox1, 1);
    click_row(form->ListBox2, 3);
    type_into(form->Edit8, "9");
    press_tab();
    type_into(form->Edit9, "-5");
    press_tab();
    type_into(form->Edit11, "2");
    press_tab();
    EXPECT_EQ(doc().sequences[1].imageIndex[3], 9);
    EXPECT_EQ(doc().sequences[1].frameValue[3], -5);
    EXPECT_EQ(doc().sequences[1].collectionIndex, 2);
    EXPECT_EQ(form->ListBox2->item_text(3), "9 / -5");
    EXPECT_EQ(form->ListBox3->item_index(), 2) << "the new collection is selected";
}

class BadNumbers : public WindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadNumbers, AreReportedAndStayInTheField) {
    open_document(*sample_document());
    const auto before = std::make_unique<SpriteDocument>(doc());
    type_into(form->Edit11, QLatin1String(GetParam()));
    press_tab();
    const QString message =
        QStringLiteral("'%1' is not a valid integer value.").arg(QLatin1String(GetParam()));
    ASSERT_EQ(prompts.errors, QStringList({message}));
    EXPECT_TRUE(doc() == *before);
    EXPECT_EQ(form->Edit11->text(), QLatin1String(GetParam()));
    form->Edit11->setFocus();
    press_tab();
    EXPECT_EQ(prompts.errors.size(), 2u) << "reported again at the next exit";
}

INSTANTIATE_TEST_SUITE_P(Window, BadNumbers,
                         ::testing::Values("", "42 ", "4 2", "2147483648", "-$1", "x"));

// A field the user focused but did not type into writes nothing when left, whatever the
// document holds by then.
class UntouchedFields : public WindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UntouchedFields, AreNotWrittenWhenLeft) {
    open_document(*sample_document());
    click_row(form->ListBox2, 1);
    auto* field = form->findChild<QLineEdit*>(QLatin1String(GetParam()));
    QTest::mouseClick(field, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), field);
    Sequence& s = doc().sequences[0];  // changed behind the field's back
    s.set_name("behind");
    s.collectionIndex = 9;
    s.imageIndex[1] = 7;
    s.frameValue[1] = 77;
    const Sequence before = s;
    press_tab();
    EXPECT_TRUE(doc().sequences[0] == before);
}

INSTANTIATE_TEST_SUITE_P(Window, UntouchedFields,
                         ::testing::Values("Edit8", "Edit9", "Edit10", "Edit11"));

TEST_F(Editing, SizeAndBoxFieldsReportTheEmptyWidthAtStart) {
    QTest::mouseClick(form->Edit16, Qt::LeftButton);
    EXPECT_EQ(prompts.errors, QStringList({"'' is not a valid integer value."}));
}

TEST_F(Editing, SizeAndBoxAreWrittenOnEveryClickInOrderUpToAFaultyField) {
    auto d = sample_document();
    d->sequences[0].collectionIndex = 2;
    open_document(*d);
    click_row(form->ListBox4, 1);
    click_row(form->ListBox5, 2);
    const int slot = 1 * 8 + 2;
    doc().collections[2].images[slot].width = 50;  // the next click writes the field's 6 back
    QTest::mouseClick(form->Edit16, Qt::LeftButton);
    EXPECT_EQ(doc().collections[2].images[slot].width, 6);

    type_into(form->Edit20, "12");
    form->Edit21->setText("13");
    form->Edit15->setText("-1");
    form->Edit16->setText("-2");
    form->Edit17->setText("bad");
    form->Edit18->setText("99");
    press_tab();
    const CollectionImage& image = doc().collections[2].images[slot];
    const BoundingBox& box = doc().collections[2].boxes[slot];
    EXPECT_EQ(prompts.errors, QStringList({"'bad' is not a valid integer value."}));
    EXPECT_EQ(image.width, 12);
    EXPECT_EQ(image.height, 13);
    EXPECT_EQ(box.left, -1);
    EXPECT_EQ(box.top, -2);
    EXPECT_NE(box.bottom, 99) << "nothing after the faulty field";
    EXPECT_EQ(doc().collections[2].images[slot - 1].width, 6) << "only the selected image";

    form->Edit17->setText("7");
    QTest::mouseClick(form->Edit17, Qt::LeftButton);
    EXPECT_EQ(box.right, 7);
    EXPECT_EQ(box.bottom, 99);
}

TEST_F(Editing, AFaultySizeOrBoxFieldStopsBeforeTheRedraw) {
    open_document(*sample_document());
    type_into(form->Edit20, "12");
    form->Edit17->setText("bad");
    QSignalSpy shown(form.get(), &TForm1::documentShown);
    press_tab();
    EXPECT_EQ(prompts.errors, QStringList({"'bad' is not a valid integer value."}));
    EXPECT_EQ(doc().collections[0].images[0].width, 12) << "the fields before it are stored";
    EXPECT_EQ(shown.count(), 0) << "and nothing is redrawn";
    EXPECT_EQ(form->Image1->width(), 6);
}

TEST_F(Editing, AddingToTheEmptyStartDocumentShowsTheNewSequence) {
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    EXPECT_EQ(doc().sequenceCount, 1);
    EXPECT_EQ(form->ListBox1->item_text(0), "<new_sequence> / 0");
    EXPECT_EQ(form->ListBox1->item_index(), 0);
    EXPECT_EQ(form->Edit10->text(), "<new_sequence>");
}

TEST_F(Editing, AddAndDeleteStopAtTheLimitsWithTheirTexts) {
    auto d = sample_document();
    d->sequenceCount = kMaxSequences;
    d->sequences[0].frameCount = kMaxSequenceFrames;
    d->sequences[1].frameCount = 0;
    open_document(*d);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    EXPECT_EQ(form->status_text(), "Sequence table to small. Upgrade or contact the author");
    EXPECT_EQ(doc().sequenceCount, kMaxSequences);
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    EXPECT_EQ(form->status_text(), "Frame table to small. Upgrade or contact the author");
    EXPECT_EQ(doc().sequences[0].frameCount, kMaxSequenceFrames);
    click_row(form->ListBox1, 1);
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    EXPECT_EQ(form->status_text(), "Cannot delete nothing");

    for (int i = 0; i < kMaxSequences; ++i) QTest::mouseClick(form->Button2, Qt::LeftButton);
    EXPECT_EQ(doc().sequenceCount, 0);
    EXPECT_EQ(form->ListBox1->count(), 0);
    EXPECT_EQ(form->ListBox2->count(), 0);
}

TEST_F(Editing, DeletingFromTheEmptyStartDocumentSaysSo) {
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    EXPECT_EQ(form->status_text(), "Cannot delete nothing");
    EXPECT_EQ(doc().sequenceCount, 0);
}

TEST_F(Editing, DeleteRemovesTheLastSequenceAndTheSelectionFollowsTheRule) {
    open_document(*sample_document());
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    EXPECT_EQ(doc().sequenceCount, 2);
    EXPECT_EQ(form->ListBox1->item_index(), 0) << "the first stays selected";
    click_row(form->ListBox1, 1);
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    EXPECT_EQ(form->ListBox1->item_index(), 0) << "the new last one";
    EXPECT_EQ(form->Edit10->text(), "walk");
}

TEST_F(Editing, AddAfterDeleteReusesTheSlotAndTheSelectionStays) {
    open_document(*sample_document());
    QTest::mouseClick(form->Button2, Qt::LeftButton);
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    EXPECT_EQ(form->ListBox1->item_text(2), "<new_sequence> / 2");
    EXPECT_EQ(form->ListBox1->item_index(), 0);
    EXPECT_EQ(doc().sequences[2].frameCount, 0);
}

TEST_F(Editing, FramesAreAddedAndDeletedAtTheEnd) {
    open_document(*sample_document());
    click_row(form->ListBox2, 1);
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    EXPECT_EQ(form->ListBox2->count(), 5);
    EXPECT_EQ(form->ListBox2->item_text(4), "0 / 0");
    EXPECT_EQ(form->ListBox2->item_index(), 1);
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    EXPECT_EQ(doc().sequences[0].frameCount, 3);
    EXPECT_EQ(form->ListBox2->item_index(), 1);
}

TEST_F(Editing, FrameButtonsWithoutASequenceDoNothing) {
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    QTest::mouseClick(form->Button4, Qt::LeftButton);
    EXPECT_EQ(form->status_text(), "");
    EXPECT_EQ(doc().sequences[0].frameCount, 0);
}

// However a size or box field is committed, the commit takes its edit: Ctrl+Z then undoes
// the document's step, and a saved window has nothing left to ask about.
class CommittedField : public WindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CommittedField, HoldsNoEditOfItsOwn) {
    const bool bySave = GetParam();
    open_document(*sample_document());
    type_into(form->Edit20, "50");
    if (bySave)
        QTest::keyClick(form->Edit20, Qt::Key_S, Qt::ControlModifier);
    else
        QTest::mouseClick(form->Edit20, Qt::LeftButton);  // a click inside the group
    EXPECT_EQ(doc().collections[0].images[0].width, 50);
    EXPECT_FALSE(form->Edit20->isModified());
    if (bySave) {
        form->close();
        EXPECT_EQ(prompts.saveQuestions, QStringList()) << "nothing is left unsaved";
        return;
    }
    QTest::keyClick(form->Edit20, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc().collections[0].images[0].width, 6);
    EXPECT_EQ(form->Edit20->text(), "6");
}

INSTANTIATE_TEST_SUITE_P(Window, CommittedField, ::testing::Bool());

TEST_F(Editing, SaveTakesNothingFromAFieldNobodyChanged) {
    auto d = sample_document();
    d->collectionCount = 0;  // no image: the six size and box fields are blank
    open_document(*d);
    form->Edit20->setFocus();
    prompts.answer(dir.file("copy.spr"));
    form->Save1->trigger();
    EXPECT_EQ(prompts.errors, QStringList());
    EXPECT_EQ(form->status_text(), "Sprite saved");
}

}  // namespace
}  // namespace dabro::test
