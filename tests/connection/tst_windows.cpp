// The connection and results windows with an in-memory port and a scripted operator: the
// port and baud choices, Continue and the results window as first shown, Configure, and
// leaving.
#include "Panel.h"

namespace {
// What a control shows: its caption, text or list ("a/b"), its tooltip in brackets, an Arial
// font's size and a colour other than its window's (a window's: other than the platform's).
QString shownBy(const QWidget* control) {
    QString text = control->property("text").toString(); // a label's, button's or text box's
    if (const auto* box = qobject_cast<const QComboBox*>(control))
        for (int i = 0; i < box->count(); ++i)
            text += (i ? "/" : "") + box->itemText(i);
    if (!control->toolTip().isEmpty())
        text += " [" + control->toolTip() + ']';
    if (control->font().family() == QLatin1String("Arial"))
        text += " {" + QString::number(control->font().pointSizeF()) + '}';
    const QWidget* window = control->parentWidget();
    const QPalette usual = window ? window->palette() : QApplication::palette(control);
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Button, QPalette::Base})
        if (control->palette().color(role) != usual.color(role))
            text += ' ' + control->palette().color(role).name();
    return text;
}
} // namespace

class WindowsTest : public Panel {
    Q_OBJECT

private Q_SLOTS:
    // Every window's title and background, and its controls' captions, lists, tooltips, fonts
    // and colours as first shown.
    void captionsAsFirstShown_data() {
        // window, shown (the title, then the controls in the order listed below)
        columns<QString, QString>();
        row("connection", "Form1",
            "Norvale MX7500 Virtual Front Panel Wizard V1.0 #c0c0c0|ComPort : |1/2 #c0c0c0|"
            "Baud|9600/19200 #c0c0c0|Continue [Displays measurement Data]|Exit [Exits program]");
        row("results", "frmMeasure",
            "Results #c0c0c0| {48}| {45}| {48}| {48}| {45}| {48}|Trigger #00ff00|"
            "Exit [Exits Program]|Start Log [Starts Logging Data]|&Configure|Temp corr ON|"
            "Temperature degrees C|Temp Coeff|20 {15.75}|"
            "Copper/Nichrome/Aluminium/Silver/Gold [select material or enter coefficient]|"
            "Corrected to 20 degrees C");
        row("configuration", "Configure",
            "Configuration #c0c0c0|MX7500 {20.25} #c0c0c0|"
            "Source|Pulse +/-/Pulse +/Pulse -/DC +/DC - #ffffff|Dry|OFF/ON|Range|"
            "Auto/20 mOhm/200 mOhm/2 Ohm/20 Ohm/200 Ohm/2k Ohm/20 kOhm/200 kOhm/2 MOhm #ffffff|"
            "Speed|Slow/Medium/Fast #ffffff|Average|1|Delay|5|"
            "Update Test [Sends configuration Data to 6400]");
    }
    void captionsAsFirstShown() {
        const auto [window, shown] = fetched<QString, QString>();
        frmMeasure& r = handOver();
        const Form1& f = Form1::use();
        const Configure& c = Configure::use();
        const QMap<QString, std::pair<const QWidget*, QList<const QWidget*>>> controls{
            {"Form1", {&f, {f.Label3, f.port, f.Label5, f.baud, f.Measure, f.Command3}}},
            {"frmMeasure",
             {&r,
              {r.Ppar, r.Pvalue, r.Punit, r.spar, r.svalue, r.sunit, r.Start, r.Exit, r.cmdLog,
               r.Config, r.cmdTC, r.Label1, r.Label2, r.Temp, r.Combo1, r.Label3}}},
            {"Configure",
             {&c,
              {c.Unit, c.Label1, c.Drive, c.Dry, c.cbDry, c.Label6, c.Range, c.Label7, c.Accuracy,
               c.Average, c.tAvg, c.Label8, c.Delay, c.Update}}},
        };
        const auto& [top, parts] = controls.value(window);
        QStringList texts{top->windowTitle() + shownBy(top)};
        for (const QWidget* control : parts)
            texts << shownBy(control);
        QCOMPARE(texts.join('|'), shown);
    }

    // As first shown, and Exit: the port closed and the program ended.
    void connectionWindowAsFirstShownAndExit() {
        Form1& form = showConnection();
        QCOMPARE(form.port->currentText() + ' ' + form.baud->currentText(), "1 9600");
        form.activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.Command3));
        // Load: close and open, then the port choice and the baud choice each reopen.
        QCOMPARE(port->history,
                 (QStringList{"open 1 9600", "close", "open 1 9600", "close", "open 1 9600"}));
        form.Command3->click();
        QCOMPARE(programEnds, 1);
        QVERIFY(!Form1::loaded());
        QCOMPARE(port->history.last(), QStringLiteral("close"));
    }

    // Each keystroke in the port box runs the port choice and so does leaving the box; each
    // keystroke in the baud box runs the baud choice. Only "1" is port 1 and only "19200" is
    // 19200 baud; nothing typed is completed from the lists.
    void typedPortAndBaud_data() {
        // portBox, typed, portNumber, baudRate
        columns<bool, QString, int, int>();
        row("port 1", true, "1", 1, 9600);
        row("port 12", true, "12", 2, 9600);
        row("port blank 1", true, " 1", 2, 9600);
        row("port empty", true, "", 2, 9600);
        row("baud 19200", false, "19200", 1, 19200);
        row("baud 1", false, "1", 1, 9600);
        row("baud 192000", false, "192000", 1, 9600);
    }
    void typedPortAndBaud() {
        const auto [portBox, typed, portNumber, baudRate] = fetched<bool, QString, int, int>();
        Form1& form = showConnection();
        activate(&form);
        port->history.clear();
        QComboBox* box = portBox ? form.port : form.baud;
        typeInto(box, typed);
        QCOMPARE(box->currentText(), typed);
        QCOMPARE(port->commPort(), portNumber);
        QCOMPARE(port->baudRate(), baudRate);
        QVERIFY(port->portOpen());
        QCOMPARE(port->history.filter(QRegularExpression(QStringLiteral("^open "))).size(),
                 qMax(typed.size(), qsizetype(1)) + (portBox ? 1 : 0));
    }

    // One failure, one box: at start-up with port 1 missing, when the device goes while the
    // operator types a baud rate, and for a port typed that will not open. A message box
    // coming up takes the focus from the port box: that is no choice of the operator's (or the
    // box would bring itself back for ever); tabbing away is.
    void aFailureGivesOneBox() {
        Form1::setPortFactory([] {
            auto* fake = new FakeSerialPort;
            fake->openablePorts = {2};
            return fake;
        });
        prompt->expectOk(QStringLiteral("Comm port 1 not available"));
        Form1& form = showConnection();
        QCOMPARE(prompt->shown.size(), 1);
        QVERIFY(!port->portOpen());
        port->openablePorts = {1, 2};
        activate(&form);
        typeInto(form.port, QStringLiteral("1"));
        QVERIFY(port->portOpen());
        port->openablePorts = {};
        prompt->expectOk(QStringLiteral("Comm port 1 not available"));
        typeInto(form.baud, QStringLiteral("19200"));
        QCOMPARE(prompt->shown.size(), 2);
        port->openablePorts = {1};
        prompt->expect(QStringLiteral("Comm port 2 not available"), Buttons::Ok, Answer::Ok, [&] {
            QFocusEvent boxTakesFocus(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
            QCoreApplication::sendEvent(form.port, &boxTakesFocus);
        });
        prompt->expectOk(QStringLiteral("Comm port 2 not available"));
        typeInto(form.port, QStringLiteral("2"));
        QCOMPARE(prompt->shown.size(), 4);
        QVERIFY(!port->portOpen());
        QCOMPARE(port->commPort(), 2);
    }

    void continueHandsOverToTheResultsWindow() {
        showConnection().Measure->click();
        frmMeasure& results = frmMeasure::use();
        QVERIFY(!Form1::use().isVisible() && results.isVisible() && !Configure::use().isVisible());
        QCOMPARE(Configure::use().Unit->text(), QStringLiteral("MX7500"));
        QCOMPARE(port->written,
                 (QList<QByteArray>{"\r\n", "\r\n", "\r\n", "*IDN?\r\n", ":TRIG:SOUR BUS\r\n"}));
        QCOMPARE(Module1::sIdnField3, QStringLiteral("MX75-000123"));
        // As first shown: no log, no correction, its controls hidden, the focus on the first box.
        QVERIFY(!results.bLog && !results.bTC && results.svalue->isHidden());
        QCOMPARE(results.Combo1->currentText(), QStringLiteral("Copper"));
        results.activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(results.Ppar));
    }

    void silenceThenOkBringsTheButtonsBack() {
        identity.clear();
        Form1& form = showConnection();
        bool buttonsHiddenDuringWait = false;
        prompt->expect(kNotResponding, Buttons::OkCancel, Answer::Ok, [&] {
            buttonsHiddenDuringWait = form.Measure->isHidden() && form.Command3->isHidden();
        });
        form.Measure->click();
        QVERIFY(buttonsHiddenDuringWait && form.isVisible() && !frmMeasure::loaded());
        QVERIFY(!form.Measure->isHidden() && !form.Command3->isHidden());
    }

    // Configure identifies the meter with the buttons locked: the model it names now goes to
    // the configuration window; after a silent meter and OK the results window is usable.
    void configureIdentifiesWithTheButtonsLocked_data() {
        // answer
        columns<QByteArray>();
        row("answers", QByteArray("Norvale,MX7510,S,F\r\n"));
        row("silent, OK", QByteArray());
    }
    void configureIdentifiesWithTheButtonsLocked() {
        const auto [answer] = fetched<QByteArray>();
        frmMeasure& results = handOver();
        identity = answer;
        bool lockedDuringWait = false;
        port->onCommand = [&, meter = port->onCommand](const QByteArray& command) {
            lockedDuringWait = locked();
            meter(command);
        };
        if (answer.isEmpty())
            prompt->expect(kNotResponding, Buttons::OkCancel, Answer::Ok);
        results.Config->click();
        QVERIFY(lockedDuringWait && unlocked());
        QCOMPARE(results.isVisible(), answer.isEmpty());
        QCOMPARE(Configure::use().Unit->text(),
                 QLatin1String(answer.isEmpty() ? "MX7500" : "MX7510"));
        // Closing the configuration window brings the results back.
        Configure::use().close();
        QVERIFY(results.isVisible() && !Configure::loaded());
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
