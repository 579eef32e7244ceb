// The floors for the start-up figure: one Qt Widgets window with a title and nothing else, or
// (with --controls) the same window holding the connection window's controls, built with
// Qt alone: what any window with those labels, boxes and buttons costs before it shows.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <cstring>

namespace {

void addControls(QWidget& window) {
    const auto label = [&window](const char* text, const QRect& at) {
        (new QLabel(QString::fromLatin1(text), &window))->setGeometry(at);
    };
    const auto box = [&window](const QStringList& items, const QRect& at) {
        auto* combo = new QComboBox(&window);
        combo->setEditable(true);
        combo->addItems(items);
        combo->setGeometry(at);
    };
    label("ComPort : ", {24, 8, 65, 17});
    box({QStringLiteral("1"), QStringLiteral("2")}, {24, 32, 41, 21});
    label("Baud", {112, 8, 41, 17});
    box({QStringLiteral("9600"), QStringLiteral("19200")}, {112, 32, 57, 21});
    (new QPushButton(QStringLiteral("Continue"), &window))->setGeometry(24, 72, 81, 33);
    (new QPushButton(QStringLiteral("Exit"), &window))->setGeometry(262, 72, 81, 33);
    label("Norvale Instruments, 12 Foundry Lane, Ashby AP4 2NV", {0, 120, 367, 17});
    label("www.norvale-instruments.example  Tel +44 1632 960417", {0, 140, 367, 17});
    window.setFixedSize(367, 168);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bench floor window"));
    window.resize(320, 240);
    if (argc > 1 && std::strcmp(argv[1], "--controls") == 0)
        addControls(window);
    window.show();
    return app.exec();
}
