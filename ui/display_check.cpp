// Telling a missing display apart before and while Qt starts its window system.
#include "ui/display_check.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace dabro {
namespace {

struct HeldMessage {
    QtMsgType type;
    QString category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> heldMessages;

[[noreturn]] void exit_without_display(const QString& reason) {
    report_no_display(reason);
    // Qt is half started: no destructor of it may run.
    std::_Exit(1);
}

void hold_message(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg)
        exit_without_display(heldMessages.empty() ? text : heldMessages.front().text);
    heldMessages.push_back({type, QString::fromLatin1(context.category), text});
}

}  // namespace

std::optional<QString> missing_display(const QStringList& arguments) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return std::nullopt;
    for (const QString& a : arguments)
        if (a == QLatin1String("-platform") || a == QLatin1String("--platform") ||
            a.startsWith(QLatin1String("-platform=")))
            return std::nullopt;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return std::nullopt;
    return QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set");
}

int report_no_display(const QString& reason) {
    const QString line =
        QStringLiteral("no display: %1\n").arg(reason.section(QLatin1Char('\n'), 0, 0).trimmed());
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    return 1;
}

DisplayStartScope::DisplayStartScope() {
    heldMessages.clear();
    previousHandler = qInstallMessageHandler(hold_message);
}

DisplayStartScope::~DisplayStartScope() {
    qInstallMessageHandler(previousHandler);
    std::vector<HeldMessage> held = std::move(heldMessages);
    heldMessages.clear();
    for (const HeldMessage& m : held) {
        const QByteArray category = m.category.toLatin1();
        const QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        qt_message_output(m.type, context, m.text);
    }
}

}  // namespace dabro
