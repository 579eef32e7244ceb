// The floor for the start-up figure: one Qt Widgets window with a title, nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bench floor window"));
    window.resize(320, 240);
    window.show();
    return app.exec();
}
