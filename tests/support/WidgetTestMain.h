#pragma once

// main() for the tests of screens: the application set up as the program sets it up, then the test
// object run as QTEST_MAIN runs it.

#include "widgets/Application.h"

#include <QApplication>
#include <QtTest>

template <typename TestObject> int runWidgetTest(int argc, char** argv)
{
    prepareApplication();
    QApplication app(argc, argv);
    setUpApplication();
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    TestObject test;
    return QTest::qExec(&test, argc, argv);
}

#define CASHIER_WIDGET_TEST_MAIN(TestObject)                                                                           \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return runWidgetTest<TestObject>(argc, argv);                                                                  \
    }
