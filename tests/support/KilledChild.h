// A child process of the test that is killed outright, as a power cut or `kill -9` ends the
// program, after it has reported what it did.
#pragma once

#include <QByteArray>
#include <QFile>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// What `work` reported in the child.
inline QByteArray inChild(const std::function<QByteArray()>& work) {
    int pipe[2];
    if (::pipe(pipe) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        const QByteArray text = work();
        (void)!::write(pipe[1], text.constData(), size_t(text.size()));
        ::kill(::getpid(), SIGKILL);
    }
    ::close(pipe[1]);
    QFile answer;
    answer.open(pipe[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray text = answer.readAll();
    ::waitpid(child, nullptr, 0);
    return text;
}
