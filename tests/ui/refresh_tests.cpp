#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <functional>

#include "imaging/render.h"
#include "imaging/rle.h"
#include "ui/image_view.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

using Refresh = WindowTest;

QStringList rows(const ListBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item_text(i);
    return texts;
}

TEST_F(Refresh, OpenFillsHeaderAndAllFiveListsAtTheFirstRows) {
    auto d = sample_document();
    d->sequences[0].collectionIndex = 2;
    d->sequences[0].imageIndex[0] = 5;  // not followed until the frame is clicked
    d->dimensions = {1, 2, 255};
    d->centerX = -7;
    d->centerY = 9;
    d->headerWord = 65535;
    d->headerByte = 200;
    open_document(*d);

    EXPECT_EQ(form->Edit1->text(), "1");
    EXPECT_EQ(form->Edit3->text(), "255");
    EXPECT_EQ(form->Edit4->text(), "-7");
    EXPECT_EQ(form->Edit5->text(), "9");
    EXPECT_EQ(form->Edit6->text(), "65535");
    EXPECT_EQ(form->Edit7->text(), "200");
    EXPECT_EQ(rows(form->ListBox1), QStringList({"walk / 2", "run / 1", "idle / 2"}));
    EXPECT_EQ(rows(form->ListBox3), QStringList({"one", "four", "eight"}));
    EXPECT_EQ(form->ListBox1->item_index(), 0);
    EXPECT_EQ(form->ListBox2->item_index(), 0);
    EXPECT_EQ(form->ListBox3->item_index(), 2);
    EXPECT_EQ(form->ListBox4->item_index(), 0);
    EXPECT_EQ(form->ListBox5->item_index(), 0);
    EXPECT_EQ(form->ListBox4->count(), 10);
    EXPECT_EQ(form->Edit10->text(), "walk");
    EXPECT_EQ(form->Edit11->text(), "2");
    EXPECT_EQ(form->Edit8->text(), "5");
    EXPECT_EQ(form->Edit12->text(), "eight");
    EXPECT_EQ(form->Edit13->text(), "8");
    EXPECT_EQ(form->Edit14->text(), "10");
    const BoundingBox& box = doc().collections[2].boxes[0];
    EXPECT_EQ(form->Edit20->text(), "6");
    EXPECT_EQ(form->Edit21->text(), "5");
    EXPECT_EQ(form->Edit15->text(), QString::number(box.left));
    EXPECT_EQ(form->Edit18->text(), QString::number(box.bottom));
}

TEST_F(Refresh, ItemTextsShowStoredWidths) {
    auto d = sample_document();
    d->sequences[1].collectionIndex = 65535;
    d->sequences[0].imageIndex[1] = -1;
    d->sequences[0].frameValue[1] = -2147483647 - 1;
    d->sequences[2].set_name("caf\xE9");
    open_document(*d);
    EXPECT_EQ(form->ListBox1->item_text(1), "run / 65535");
    EXPECT_EQ(form->ListBox1->item_text(2), QStringLiteral("caf\u00E9 / 2"));
    EXPECT_EQ(form->ListBox2->item_text(1), "-1 / -2147483648");
    EXPECT_EQ(rows(form->ListBox4), QStringList({"0", "1", "2"}));
}

class DirectionLabels : public WindowTest,
                        public ::testing::WithParamInterface<std::pair<int, QStringList>> {};

TEST_P(DirectionLabels, FollowTheDirectionsCount) {
    const auto& [directions, labels] = GetParam();
    auto d = make_document({.sequences = 1, .collections = {{2, directions}}});
    d->sequences[0].collectionIndex = 0;
    open_document(*d, "dirs.spr");
    QStringList expected;
    for (const QString& l : labels) expected << l + " / dirs.spr";
    EXPECT_EQ(rows(form->ListBox5), expected);
}

INSTANTIATE_TEST_SUITE_P(Window, DirectionLabels,
                         ::testing::Values(std::pair{1, QStringList{"One Sided"}},
                                           std::pair{2, QStringList{"Up", "Down"}},
                                           std::pair{3, QStringList{"1", "2", "3"}},
                                           std::pair{4, QStringList{"NE", "NW", "SW", "SE"}},
                                           std::pair{5, QStringList{"1", "2", "3", "4", "5"}},
                                           std::pair{8, QStringList{"NE", "N", "NW", "W", "SW", "S",
                                                                    "SE", "E"}}));

TEST_F(Refresh, OpenKeepsTheSelectedSequenceOrTakesTheLast) {
    auto five = sample_document();
    five->sequenceCount = 5;
    for (int s = 3; s < 5; ++s) five->sequences[s] = five->sequences[0];
    open_document(*five, "five.spr");
    click_row(form->ListBox1, 4);
    ASSERT_EQ(form->ListBox1->item_index(), 4);
    open_document(*sample_document(), "three.spr");
    EXPECT_EQ(form->ListBox1->item_index(), 2);
    EXPECT_EQ(form->Edit10->text(), "idle");
}

TEST_F(Refresh, CollectionRuleSelectsTheSequencesOwnOrNothing) {
    auto d = sample_document();
    d->sequences[1].collectionIndex = 3;  // beyond the 3 collections
    open_document(*d);
    click_row(form->ListBox1, 1);
    EXPECT_EQ(form->ListBox3->item_index(), -1);
    EXPECT_EQ(form->ListBox4->count(), 0);
    EXPECT_EQ(form->ListBox5->count(), 0);
    EXPECT_EQ(form->Edit12->text(), "");
    EXPECT_EQ(form->Edit20->text(), "");

    click_row(form->ListBox1, 2);
    EXPECT_EQ(form->ListBox3->item_index(), 2);
    click_row(form->ListBox3, 1);  // look at another collection
    EXPECT_EQ(form->ListBox3->item_index(), 1);
    EXPECT_EQ(form->Edit12->text(), "four");
    EXPECT_EQ(doc().sequences[2].collectionIndex, 2);
    click_row(form->ListBox1, 2);
    EXPECT_EQ(form->ListBox3->item_index(), 2) << "the sequence's own collection again";
}

TEST_F(Refresh, WithoutSequencesTheCollectionListKeepsItsOwnSelection) {
    open_document(*make_document({.sequences = 0, .collections = {{2, 4}, {3, 1}}}));
    EXPECT_EQ(form->ListBox1->count(), 0);
    EXPECT_EQ(form->ListBox2->count(), 0);
    EXPECT_EQ(form->Edit10->text(), "");
    EXPECT_EQ(form->ListBox3->item_index(), 0);
    EXPECT_EQ(form->ListBox4->count(), 2);
    click_row(form->ListBox3, 1);
    form->gui_seq_box_ref();
    EXPECT_EQ(form->ListBox3->item_index(), 1);
    EXPECT_EQ(form->ListBox4->count(), 3);
}

// Each draw of the preview sees the levels above it already filled, in the chain's order: a
// sequence refresh draws once after the collection pass, before the sequence frames are
// filled, and once after; a direction click draws before its fields are filled, and after.
TEST_F(Refresh, EachPreviewDrawSeesTheChainsOrder) {
    auto d = sample_document();
    for (int q = 0; q < 4; ++q) d->sequences[2].imageIndex[q] = static_cast<std::int16_t>(q + 5);
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < d->collections[c].slot_count(); ++k)
            d->collections[c].images[k].width = 10 + k;  // the width names the slot
    open_document(*d);
    QStringList seen;
    QObject::connect(form.get(), &TForm1::documentShown, form.get(), [&] {
        seen << QStringLiteral("c%1 f%2 d%3 %4 e8=%5 w=%6")
                    .arg(form->ListBox3->item_index())
                    .arg(form->ListBox4->item_index())
                    .arg(form->ListBox5->item_index())
                    .arg(form->Edit12->text(), form->Edit8->text(), form->Edit20->text());
    });
    const std::pair<std::function<void()>, QStringList> steps[] = {
        {[&] { click_row(form->ListBox1, 2); },
         {"c2 f0 d0 eight e8=0 w=10", "c2 f0 d0 eight e8=5 w=10"}},
        {[&] { click_row(form->ListBox5, 3); },
         {"c2 f0 d3 eight e8=5 w=10", "c2 f0 d3 eight e8=5 w=13"}},
        {[&] { click_row(form->ListBox2, 1); }, {"c2 f6 d3 eight e8=6 w=61"}},
        {[&] { click_row(form->ListBox3, 1); }, {"c1 f1 d3 four e8=6 w=17"}},
        {[&] { click_row(form->ListBox4, 0); }, {"c1 f0 d3 four e8=6 w=13"}},
    };
    for (const auto& [act, expected] : steps) {
        seen.clear();
        act();
        EXPECT_EQ(seen, expected);
    }
}

TEST_F(Refresh, ClickingASequenceFrameSelectsTheFrameItNames) {
    auto d = sample_document();
    d->sequences[2].imageIndex[2] = 7;
    d->collections[2].images[7 * 8].width = 77;
    open_document(*d);
    click_row(form->ListBox1, 2);
    click_row(form->ListBox2, 2);
    EXPECT_EQ(form->ListBox4->item_index(), 7);
    EXPECT_EQ(form->ListBox5->item_index(), 0);
    EXPECT_EQ(form->Edit20->text(), "77");
    EXPECT_EQ(form->Edit8->text(), "7");
}

TEST_F(Refresh, AnotherSequenceKeepsFrameNumbersNotTheFrameItNames) {
    auto d = sample_document();
    d->sequences[0].collectionIndex = 2;
    d->sequences[1].frameCount = 2;
    d->sequences[1].collectionIndex = 0;  // 3 frames
    open_document(*d);
    click_row(form->ListBox2, 3);
    click_row(form->ListBox4, 6);
    click_row(form->ListBox1, 1);
    EXPECT_EQ(form->ListBox2->item_index(), 1) << "the new sequence's last frame";
    EXPECT_EQ(form->ListBox4->item_index(), 2) << "the last frame of collection 0";
    click_row(form->ListBox1, 2);
    EXPECT_EQ(form->ListBox2->item_index(), 1);
    EXPECT_EQ(form->ListBox4->item_index(), 2);
}

TEST_F(Refresh, AnImageIndexOutsideTheCollectionLeavesTheFrameListAtItsStart) {
    auto d = sample_document();
    d->sequences[0].imageIndex[1] = -3;
    open_document(*d);
    click_row(form->ListBox2, 1);
    EXPECT_EQ(form->ListBox4->item_index(), 0);
    EXPECT_EQ(form->ListBox5->item_index(), 0);
}

TEST_F(Refresh, EmptyCountsGiveEmptyLists) {
    auto d = make_document({.sequences = 2, .collections = {{0, 4}, {3, 0}}});
    d->sequences[0].collectionIndex = 0;
    d->sequences[1].collectionIndex = 1;
    open_document(*d);
    EXPECT_EQ(form->ListBox4->count(), 0);
    EXPECT_EQ(form->ListBox5->count(), 0);
    click_row(form->ListBox1, 1);
    EXPECT_EQ(form->ListBox4->count(), 3);
    EXPECT_EQ(form->ListBox5->count(), 0);
    EXPECT_EQ(form->Edit20->text(), "");
}

TEST_F(Refresh, ProgramChangesFireNoClickButUserInputDoes) {
    open_document(*sample_document());
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (ListBox* l :
         {form->ListBox1, form->ListBox2, form->ListBox3, form->ListBox4, form->ListBox5})
        spies.push_back(std::make_unique<QSignalSpy>(l, &ListBox::user_clicked));
    open_document(*sample_document(), "again.spr");
    form->gui_seq_box_ref();
    form->ListBox2Click();
    for (const auto& spy : spies) EXPECT_EQ(spy->count(), 0);

    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_Down);
    EXPECT_EQ(spies[0]->count(), 1);
    EXPECT_EQ(form->Edit10->text(), "run") << "keyboard selection runs ListBox1Click";
    click_row(form->ListBox4, 1);
    EXPECT_EQ(spies[3]->count(), 1);
}

TEST_F(Refresh, TheLargestCollectionIsListedInFull) {
    auto d = make_document(
        {.sequences = 1, .collections = {{480, 8}}, .imageWidth = 2, .imageHeight = 2});
    d->sequences[0].collectionIndex = 0;
    open_document(*d);
    EXPECT_EQ(form->ListBox4->count(), 480);
    click_row(form->ListBox4, 479);
    click_row(form->ListBox5, 7);
    EXPECT_EQ(form->ListBox4->item_text(479), "479");
    EXPECT_EQ(form->ListBox5->item_text(7), "E / doc.spr");
    EXPECT_EQ(form->Edit20->text(), "2");
}

TEST_F(Refresh, TheSampleOpensAndEveryEntryCanBeVisited) {
    open(std::string(DABRO_SOURCE_DIR) + "/samples/sample.spr");
    ASSERT_EQ(form->status_text(), "Sprite loaded");
    ASSERT_GT(form->ListBox1->count(), 0);
    for (int s = 0; s < form->ListBox1->count(); ++s) {
        click_row(form->ListBox1, s);
        for (int q = 0; q < form->ListBox2->count(); ++q) click_row(form->ListBox2, q);
    }
    for (int c = 0; c < form->ListBox3->count(); ++c) {
        click_row(form->ListBox3, c);
        for (int f = 0; f < form->ListBox4->count(); ++f) {
            click_row(form->ListBox4, f);
            for (int d = 0; d < form->ListBox5->count(); ++d) {
                click_row(form->ListBox5, d);
                const ImageRef ref = image_ref(doc(), c, f, d);
                ASSERT_TRUE(is_valid(doc(), ref));
                EXPECT_EQ(form->Edit20->text().toInt(),
                          doc().collections[c].images[ref.slot].width);
                EXPECT_EQ(form->Image1->width(), doc().collections[c].images[ref.slot].width);
            }
        }
    }
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(Refresh, APressBelowTheLastRowKeepsTheSelection) {
    open_document(*sample_document());
    click_row(form->ListBox1, 1);
    QTest::mouseClick(form->ListBox1->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 200));
    EXPECT_EQ(form->ListBox1->item_index(), 1);
    EXPECT_EQ(form->Edit10->text(), "run");
}

TEST_F(Refresh, TheSecondaryButtonOpensThePopupWithoutMovingTheSelection) {
    open_document(*sample_document());
    click_row(form->ListBox1, 2);
    click_row(form->ListBox5, 3);
    const QPoint at = form->ListBox5->visualRect(form->ListBox5->model()->index(5, 0)).center();
    QTest::mouseClick(form->ListBox5->viewport(), Qt::RightButton, Qt::NoModifier, at);
    EXPECT_EQ(form->ListBox5->item_index(), 3);
    for (QWidget* w :
         {static_cast<QWidget*>(form->ListBox5->viewport()), static_cast<QWidget*>(form->Image1)}) {
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2),
                               w->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(w, &menu);
        EXPECT_TRUE(form->PopupMenu1->isVisible());
        form->PopupMenu1->hide();
    }
}

// A document of one collection whose image slot 0 is `image`, palette entry i = i * 0x010101.
std::unique_ptr<SpriteDocument> one_image(std::int32_t width, std::int32_t height,
                                          std::vector<std::uint8_t> data) {
    auto d = make_document({.sequences = 1, .collections = {{1, 1}}});
    d->sequences[0].collectionIndex = 0;
    d->sequences[0].imageIndex[0] = 0;
    CollectionImage& image = d->collections[0].images[0];
    image.width = width;
    image.height = height;
    image.set_data(std::move(data));
    for (std::uint32_t i = 0; i < 256; ++i) d->collections[0].palettes[0][i] = i * 0x010101u;
    return d;
}

std::vector<std::uint8_t> opaque_pixels(int count, std::uint8_t index) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < count; ++i) append_pixel(data, index, 255);
    return data;
}

TEST_F(Refresh, PreviewIsCentredInTheFrameAndDrawsPixelsInPlace) {
    std::vector<std::uint8_t> data = opaque_pixels(64 * 48, 200);
    data[3 * (1 * 64 + 2) + 1] = 10;   // (2, 1): palette entry 10, opaque
    data[3 * (1 * 64 + 3) + 2] = 128;  // (3, 1): half transparent over the grey
    open_document(*one_image(64, 48, data));
    EXPECT_EQ(form->Image1->geometry(), QRect(488 + 80, 52, 64, 48));
    const QImage& picture = form->Image1->picture();
    EXPECT_EQ(picture.pixel(0, 0), 0xFFC8C8C8u);
    EXPECT_EQ(picture.pixel(2, 1), 0xFF0A0A0Au);
    EXPECT_EQ(picture.pixel(3, 1), blend_rgb32(128, 200 * 0x010101u));
    const QImage shown = form->grab().toImage();
    const QPoint origin = form->Image1->mapTo(form.get(), QPoint(2, 1));
    EXPECT_EQ(shown.pixel(origin), 0xFF0A0A0Au) << "what the window shows";
}

TEST_F(Refresh, ALargerImageReachesBeyondTheFrameByTruncatedHalves) {
    open_document(*one_image(300, 200, {}));
    EXPECT_EQ(form->Image1->geometry(), QRect(488 - 37, -23, 300, 200));
    open_document(*one_image(224, 152, {}), "b.spr");
    EXPECT_EQ(form->Image1->geometry(), QRect(488, 0, 224, 152));
}

TEST_F(Refresh, PreviewClearsToGreyBeforeDrawing) {
    auto d = one_image(4, 1, opaque_pixels(4, 255));
    d->collections[0].frames = 2;
    d->collections[0].images[1] = d->collections[0].images[0];
    d->collections[0].images[1].set_data({kTransparentPixelByte});  // one pixel, then nothing
    open_document(*d);
    ASSERT_EQ(form->Image1->picture().pixel(3, 0), 0xFFFFFFFFu);
    click_row(form->ListBox4, 1);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(form->Image1->picture().pixel(x, 0), kPreviewGreyRgb32) << x;
}

TEST_F(Refresh, HostileSizesNeverBuildAHugeView) {
    open_document(*one_image(2147483647, 2147483647, opaque_pixels(3, 1)));
    EXPECT_LE(form->Image1->width(), 1024);
    EXPECT_LE(form->Image1->height(), 1024);
    EXPECT_EQ(form->Image1->picture().pixel(2, 0), 0xFF010101u);
    open_document(*one_image(-5, -2147483647 - 1, opaque_pixels(3, 1)), "negative.spr");
    EXPECT_EQ(form->Image1->width(), 0);
    EXPECT_EQ(form->Image1->height(), 0);
}

TEST_F(Refresh, PreviewDoesNothingWhileImagesAreUnreadable) {
    open_document(*one_image(64, 48, {}));
    const QRect before = form->Image1->geometry();
    auto unreadable = make_document({.sequences = 1, .collections = {{1, 1, kShortSection}}});
    open_document(*unreadable, "short.spr");
    EXPECT_FALSE(session->imagesReadable);
    form->gui_image_ref();
    EXPECT_EQ(form->Image1->geometry(), before);
}

}  // namespace
}  // namespace dabro::test
