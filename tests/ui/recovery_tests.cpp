#include <QDir>
#include <QTest>
#include <csignal>
#include <filesystem>

#include "ui/external_edit.h"
#include "ui/recovery.h"
#include "ui/signal_quit.h"
#include "window_fixture.h"

namespace dabro::test {
namespace {

// The recovery copies and the work folders go to folders of the test's own.
class Recovery : public WindowTest {
  protected:
    void SetUp() override {
        for (const char* name : {"XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
            saved_.emplace_back(name, qgetenv(name));
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString(dir.file("state")));
        std::filesystem::create_directory(dir.file("run"));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir.file("run")));
        set_external_editor_command(QStringLiteral("true"));
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        set_external_editor_command({});
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }
    QString link_folder() {
        menu_item(*form, "EditExternally1")->trigger();
        return QFileInfo(form->status_text().section(QStringLiteral(": "), 1)).path();
    }
    std::vector<std::pair<const char*, QByteArray>> saved_;
    void start_again() {
        form.reset();
        session = make_session();
        form = std::make_unique<TForm1>(*session, prompts);
    }
};

// SIGTERM ends the window unasked: the work folder goes and the unsaved work waits in a
// recovery copy, which the next start opens as the changed sprite and a save removes.
TEST_F(Recovery, ASignalKeepsTheWorkForTheNextStart) {
    open_document(*sample_document());
    const std::string sprite = session->currentFileName;
    QTest::keyClick(form->ListBox1, Qt::Key_H, Qt::ControlModifier);
    const std::int32_t halvedWidth = doc().collections[0].images[0].width;
    ASSERT_NE(halvedWidth, sample_document()->collections[0].images[0].width);
    const QString folder = link_folder();
    ASSERT_TRUE(QDir(folder).exists());
    on_quit_signals(form.get(), [this] { form->end_on_signal(); });
    std::raise(SIGTERM);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 2000));
    EXPECT_TRUE(prompts.saveQuestions.isEmpty());
    EXPECT_FALSE(QDir(folder).exists());
    ASSERT_EQ(recovery_copies().size(), 1u);

    start_again();
    prompts.answer_item(0);
    form->recover_at_start();
    EXPECT_EQ(prompts.itemRequests.back().items,
              QStringList({QString::fromStdString(sprite), "Discard the copies"}));
    EXPECT_EQ(doc().collections[0].images[0].width, halvedWidth);
    EXPECT_EQ(session->currentFileName, sprite);
    EXPECT_TRUE(form->is_modified());
    form->Save2->trigger();
    EXPECT_TRUE(recovery_copies().empty());
}

// The next start discards the copies on request, and removes the work folder a crashed
// session left, not one in use.
TEST_F(Recovery, DiscardingRemovesTheCopiesAndStaleWorkFoldersGo) {
    std::string written;
    ASSERT_TRUE(
        write_recovery_copy(*sample_document(), header_of(*sample_document()), "", written).ok());
    const QString stale = QString::fromStdString(dir.file("run/dabro-AbC123"));
    ASSERT_TRUE(QDir().mkpath(stale));
    open_document(*sample_document());
    const QString inUse = link_folder();
    prompts.answer_item(1);
    form->recover_at_start();
    EXPECT_TRUE(recovery_copies().empty());
    EXPECT_FALSE(QDir(stale).exists());
    EXPECT_TRUE(QDir(inUse).exists());
}

}  // namespace
}  // namespace dabro::test
