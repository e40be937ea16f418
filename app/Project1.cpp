#include <QApplication>

#include "ui/Unit1.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Only the name: a display name would also be appended to every window caption.
    QApplication::setApplicationName(QStringLiteral("Dabro"));
    dabro::TForm1 form;
    form.show();
    return QApplication::exec();
}
