// The front panel's entry point.
#include "app/DialogPrompt.h"
#include "app/Program.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("MX7500"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    // The windows decide when the program ends: hiding the last visible one does not.
    QApplication::setQuitOnLastWindowClosed(false);
    // A style that draws button colours (the green Trigger) on every platform.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    DialogPrompt prompt;
    Program::start(prompt);
    return app.exec();
}
