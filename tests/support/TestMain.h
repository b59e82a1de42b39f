// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test main with a watchdog: any modal dialog that a test did not expect is
// reported, closed, and fails the run instead of hanging it.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

namespace testsupport {
// While set, real modal dialogs are allowed (tests that drive the real backend).
void allowModalDialogs(bool allow);
int run(int argc, char **argv, QObject *testObject);

// Runs `act` on the next modal dialog of type D once it is up (tests that drive real dialogs).
template<class D = QWidget> void whenModal(std::function<void(D *)> act)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start(20);
}
}

#define ZENDRAL_TEST_MAIN(TestClass) \
    int main(int argc, char **argv) { QApplication app(argc, argv); TestClass test; \
                                      return testsupport::run(argc, argv, &test); }
