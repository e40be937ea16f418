#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include "ui/user_prompts.h"

namespace dabro {
namespace {

// Each description equals its pattern, and the dialog shows it once.
TEST(NameFilters, EachPairBecomesOneQtFilter) {
    EXPECT_EQ(qt_name_filters("*.spr|*.spr"), "*.spr");
    EXPECT_EQ(qt_name_filters("*.act|*.act|*.raw|*.raw"), "*.act;;*.raw");
    EXPECT_EQ(qt_name_filters("PNG images|*.png"), "PNG images (*.png)");
    EXPECT_EQ(qt_name_filters(""), "");
}

struct DialogSpec {
    FileDialog dialog;
    bool save;
    const char* filter;
    const char* extension;
};

class Dialogs : public ::testing::TestWithParam<DialogSpec> {};

TEST_P(Dialogs, HaveTheirFilterExtensionAndFolder) {
    const DialogSpec d = GetParam();
    const FileRequest r = file_request(d.dialog);
    EXPECT_EQ(r.dialog, d.dialog);
    EXPECT_EQ(r.save, d.save);
    EXPECT_EQ(r.filter, QLatin1String(d.filter));
    EXPECT_EQ(r.defaultExtension, QLatin1String(d.extension));
    EXPECT_EQ(r.folder, ".");
    EXPECT_TRUE(r.lastPath.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Window, Dialogs,
    ::testing::Values(DialogSpec{FileDialog::OpenDialog1, false, "*.spr|*.spr", "spr"},
                      DialogSpec{FileDialog::SaveDialog1, true, "*.spr|*.spr", "spr"},
                      DialogSpec{FileDialog::OpenDialog2, false, "*.raw|*.raw", "raw"},
                      DialogSpec{FileDialog::SaveDialog2, true, "*.raw|*.raw", "raw"},
                      DialogSpec{FileDialog::OpenDialog3, false, "*.act|*.act|*.raw|*.raw", ""},
                      DialogSpec{FileDialog::SaveDialog3, true, "*.act|*.act", "act"},
                      DialogSpec{FileDialog::OpenDialog4, false,
                                 "Palette files|*.act *.gpl *.pal *.raw|All files|*", ""},
                      DialogSpec{FileDialog::SaveDialog4, true, "*.act|*.act", "act"},
                      DialogSpec{FileDialog::ExportImageDialog, true, "*.png|*.png|*.raw|*.raw",
                                 "png"},
                      DialogSpec{FileDialog::ImportPngDialog, false, "*.png|*.png", "png"},
                      DialogSpec{FileDialog::ExportSheetDialog, true, "*.png|*.png", "png"},
                      DialogSpec{FileDialog::ImportSheetDialog, false, "*.png|*.png", "png"},
                      DialogSpec{FileDialog::ExportAnimationDialog, true,
                                 "*.gif|*.gif|*.png|*.png|*.apng|*.apng|*.webp|*.webp", "gif"}));

// Runs `inspect` on the modal dialog as soon as it is open.
template <typename Dialog, typename Inspect>
void when_shown(Inspect inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inspect(dialog);
    });
}

TEST(ErrorDisplay, IsAModalStopBoxTitledDabroWithOneOkButton) {
    QtUserPrompts prompts(nullptr);
    bool seen = false;
    when_shown<QMessageBox>([&seen](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "Dabro");
        EXPECT_EQ(box->text(), "File not found.");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_TRUE(box->isModal());
        EXPECT_EQ(box->textFormat(), Qt::PlainText) << "typed text is shown as typed";
        seen = true;
        box->accept();
    });
    prompts.show_error("File not found.");
    EXPECT_TRUE(seen);
}

TEST(AboutBox, IsModalWithTitleTextAndOneOkButton) {
    QtUserPrompts prompts(nullptr);
    bool seen = false;
    when_shown<QMessageBox>([&seen](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "About Dabro");
        EXPECT_EQ(box->text(), "Dabro 9.9");
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_TRUE(box->isModal());
        seen = true;
        box->accept();
    });
    prompts.show_about("About Dabro", "Dabro 9.9");
    EXPECT_TRUE(seen);
}

TEST(FileDialogs, OpenWithTheRequestAndCancelToNothing) {
    QtUserPrompts prompts(nullptr);
    FileRequest request = file_request(FileDialog::SaveDialog3);
    request.lastPath = QStringLiteral("/tmp/last.act");
    bool seen = false;
    when_shown<QFileDialog>([&seen](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->nameFilters(), QStringList({"*.act"}));
        EXPECT_EQ(dialog->defaultSuffix(), "act");
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog->directory().absolutePath(), "/tmp");
        seen = true;
        dialog->reject();
    });
    EXPECT_FALSE(prompts.choose_file(request).has_value());
    EXPECT_TRUE(seen);
}

TEST(FileDialogs, ReturnTheAcceptedPath) {
    QtUserPrompts prompts(nullptr);
    when_shown<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile) << "a typed name may not exist yet";
        dialog->selectFile(QStringLiteral("/tmp/typed-name-that-does-not-exist.spr"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::optional<QString> chosen =
        prompts.choose_file(file_request(FileDialog::OpenDialog1));
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, "/tmp/typed-name-that-does-not-exist.spr");
}

}  // namespace
}  // namespace dabro
