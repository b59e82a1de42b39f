#pragma once
// Test main with a watchdog: any modal dialog that a test did not expect is
// reported, closed, and fails the run instead of hanging it.
#include <QApplication>
#include <QTest>

namespace testsupport {
// While set, real modal dialogs are allowed (tests that drive the real backend).
void allowModalDialogs(bool allow);
int run(int argc, char **argv, QObject *testObject);
}

#define ZENDRAL_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char **argv)                                                                    \
    {                                                                                                  \
        QApplication app(argc, argv);                                                                  \
        TestClass test;                                                                                \
        return testsupport::run(argc, argv, &test);                                                    \
    }
