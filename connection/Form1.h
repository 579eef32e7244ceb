// The connection window: port and baud choice, the identification check, and the owner of
// the one serial port for the whole run.
#pragma once

#include "windowkit/LoadableWindow.h"

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class SerialPort;

class Form1 : public Loadable<Form1> {
    Q_OBJECT
public:
    Form1();

    // Where the window's port comes from: the real device by default, a fake in tests.
    static void setPortFactory(std::function<SerialPort*()> factory);

    SerialPort* MSComm1 = nullptr;

    QLabel* Label3 = nullptr;
    QComboBox* port = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* baud = nullptr;
    QPushButton* Measure = nullptr;
    QPushButton* Command3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr;

    void portChoice();
    void baudChoice();
    void continueClicked();
    void exitClicked();

protected:
    void loadStep() override;
    void unloadStep() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Closes the port, applies the choice, opens it again and reports a failure (with
    // reportOnlyNews, only when the port was open before).
    void reopen(const std::function<void()>& choose, bool reportOnlyNews);

    bool m_choosing = false;
};
