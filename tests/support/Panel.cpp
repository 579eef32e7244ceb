// The shared window-test fixture.
#include "Panel.h"

#include "Simulator.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"
#include "link/Wait.h"
#include "measurement/ShownReading.h"
#include "readings/Readings.h"
#include "readings/ReadingsWindow.h"

#include <clocale>

#include <QRegularExpression>

void Panel::initTestCase() {
    LoadableWindow::setProgramEndHandler([this] {
        ++programEnds;
        Wait::callOffAll();
    });
    Module1::setAbandonHandler([this] { ++abandoned; });
}

void Panel::init() {
    Module1::reset();
    Wait::resetCallOff();
    Form1::setPortFactory([] { return new FakeSerialPort; });
    prompt = new ScriptedPrompt;
    OperatorPrompt::install(prompt);
    programEnds = 0;
    abandoned = 0;
    m_dir = new QTemporaryDir;
    m_log.clear();
    identity = "Norvale,MX7500,MX75-000123,1.04\r\n";
    reading = "0.0125\n";
    readingDelayMs = 2;
}

void Panel::cleanup() {
    if (std::exchange(m_german, false)) {
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(QLocale::c());
    }
    const QString problems = prompt->problems();
    frmMeasure::unloadIfLoaded();
    Configure::unloadIfLoaded();
    Form1::unloadIfLoaded();
    DataLog::close();
    // Unloaded windows go at the next return to the event loop; a test has none in between.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    PortMap::setOverride(1, QString());
    Module1::setPort(nullptr);
    delete prompt;
    delete m_dir;
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
    QCOMPARE(LoadableWindow::loadedCount(), 0);
}

Form1& Panel::showConnection() {
    Form1& form = Form1::use();
    port = qobject_cast<FakeSerialPort*>(form.MSComm1);
    if (port) {
        port->onCommand = [this](const QByteArray& command) {
            if (command == "*IDN?\r\n" && !identity.isEmpty())
                port->deliver(identity, 2);
            else if (command == "*TRG\r\n" && !reading.isEmpty())
                port->deliver(reading, readingDelayMs);
        };
    }
    form.show();
    return form;
}

frmMeasure& Panel::handOver() {
    showConnection().Measure->click();
    frmMeasure* window = frmMeasure::loaded();
    if (!window)
        qFatal("the hand-over to the results window did not happen");
    setSpeed(QStringLiteral("Fast"));
    if (port)
        port->written.clear();
    return *window;
}

frmMeasure& Panel::handOver(Simulator& sim) {
    if (!sim.start())
        qFatal("the simulator did not start");
    PortMap::setOverride(1, sim.device());
    Form1::setPortFactory([] { return new QtSerialPort; });
    return handOver();
}

void Panel::setSpeed(const QString& speed) const {
    QComboBox* accuracy = Configure::use().Accuracy;
    accuracy->setCurrentIndex(accuracy->findText(speed));
}

QStringList Panel::rows() const {
    const frmMeasure& w = frmMeasure::use();
    return {w.Ppar->text(), w.Pvalue->text(), w.Punit->text(),
            w.spar->text(), w.svalue->text(), w.sunit->text()};
}

// How many of Trigger, log, Configure and the correction switch are usable.
static int usable() {
    const frmMeasure& w = frmMeasure::use();
    return w.Start->isEnabled() + w.cmdLog->isEnabled() + w.Config->isEnabled() +
           w.cmdTC->isEnabled();
}

bool Panel::unlocked() const {
    return usable() == 4;
}

bool Panel::locked() const {
    return usable() == 0 && frmMeasure::use().Exit->isEnabled();
}

QString Panel::startLog(const QString& name) {
    m_log = path(name);
    prompt->expectFile(m_log);
    frmMeasure::use().cmdLog->click();
    return m_log;
}

QStringList Panel::logLines(const QString& file) const {
    QFile in(file.isEmpty() ? m_log : file);
    if (!in.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no log file>")};
    QStringList lines = QString::fromUtf8(in.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.takeLast().isEmpty())
        lines << QStringLiteral("<not ended by CR LF>");
    // Today and now in US English: 12/7/2026 and 1:50:03 PM (newer region data puts a narrow
    // blank before PM). A line with any other date or time stays as it is and fails.
    static const QRegularExpression stamp(
        QStringLiteral("^(St(?:art|op) Log ),(\\d{1,2}/\\d{1,2}/\\d{4}),(\\d{1,2}:\\d\\d:\\d\\d)[ "
                       "\\x{202F}]([AP]M)"));
    for (QString& line : lines) {
        const QRegularExpressionMatch match = stamp.match(line);
        const QTime time = QTime::fromString(
            match.captured(3) + QLatin1Char(' ') + match.captured(4), QStringLiteral("h:mm:ss AP"));
        if (match.captured(2) == QDate::currentDate().toString(QStringLiteral("M/d/yyyy")) &&
            time.isValid() && qAbs(time.secsTo(QTime::currentTime())) < 120)
            line.replace(0, match.capturedEnd(), match.captured(1) + QStringLiteral(",D,T"));
    }
    return lines;
}

void Panel::activate(QWidget* window) {
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void Panel::typeInto(QWidget* box, const QString& text) {
    auto* combo = qobject_cast<QComboBox*>(box);
    QTest::mouseClick(combo ? combo->lineEdit() : box, Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

ReadingsWindow& Panel::openReadings() const {
    QTest::keyClick(frmMeasure::loaded(), Qt::Key_R, Qt::ControlModifier);
    ReadingsWindow* readings = Readings::existing();
    if (!readings || !readings->isVisible())
        qFatal("Ctrl+R did not open the Readings window");
    QApplication::setActiveWindow(readings);
    return *readings;
}

void Panel::feed(ReadingsWindow& readings, const QList<float>& values) {
    for (float value : values) {
        ShownReading shown;
        shown.outcome.measured = value;
        readings.addReadingTakenAt(shown, QDateTime::currentMSecsSinceEpoch());
    }
}

void Panel::useGerman() {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        qFatal("de_DE.UTF-8 is not installed");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_german = true;
}
