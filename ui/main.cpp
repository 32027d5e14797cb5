// vantorel: the window that turns a depth-map picture wrapped round a cylinder into G-code
// and models.

#include <QApplication>
#include <QIcon>
#include <exception>
#include <memory>

#include "ui/depth_cut_form.h"
#include "ui/dialogs.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("vantorel");
    QApplication::setApplicationDisplayName(vantorel::kApplicationTitle);
    QApplication::setDesktopFileName("vantorel");
    QApplication::setWindowIcon(QIcon(":/vantorel/vantorel.png"));

    const std::unique_ptr<vantorel::DialogProvider> dialogs = vantorel::MakeDesktopDialogs();
    try {
        vantorel::TDepthCutForm form(vantorel::ProgramEnvironment(*dialogs));
        form.show();
        QApplication::exec();
    } catch (const std::exception& e) {
        vantorel::ShowErrorDisplay(*dialogs, nullptr, QString::fromUtf8(e.what()));
    } catch (...) {
        vantorel::ShowErrorDisplay(*dialogs, nullptr, "Unexpected error");
    }
    // The program's outcome is what it showed; its exit code is always 0.
    return 0;
}
