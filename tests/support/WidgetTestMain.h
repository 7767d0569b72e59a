#pragma once

// main() for the tests of screens: the application set up as the program sets it up, then the test
// object run as QTEST_MAIN runs it. With CASHIER_TEST_REAL_BOX_LOOPS=1 every recorded message box
// is also a real one, in a modal loop of its own.

#include "widgets/Application.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QtTest>

template <typename TestObject> int runWidgetTest(int argc, char** argv)
{
    prepareApplication();
    QApplication app(argc, argv);
    setUpApplication();
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    MessageBox::setRunLoops(qEnvironmentVariableIntValue("CASHIER_TEST_REAL_BOX_LOOPS") > 0);
    TestObject test;
    return QTest::qExec(&test, argc, argv);
}

#define CASHIER_WIDGET_TEST_MAIN(TestObject)                                                                           \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return runWidgetTest<TestObject>(argc, argv);                                                                  \
    }
