#pragma once

#include <QTest>

// Waits with the event loop running until a condition holds or the time is up,
// then checks it as QVERIFY and QCOMPARE do. Qt's own QTRY_* macros narrow a
// 64-bit timeout to int inside the macro since Qt 6.7, which -Wconversion
// reports at every use; these wait through QTest::qWaitFor with an int
// timeout in milliseconds (5 s unless given).
namespace qm3270::test {
inline constexpr int kTryTimeoutMs = 5000;
}  // namespace qm3270::test

#define TRY_VERIFY_WITH_TIMEOUT(expr, timeoutMs)                                                \
    do {                                                                                        \
        static_cast<void>(QTest::qWaitFor([&] { return static_cast<bool>(expr); }, timeoutMs)); \
        QVERIFY(expr);                                                                          \
    } while (false)

#define TRY_VERIFY(expr) TRY_VERIFY_WITH_TIMEOUT(expr, ::qm3270::test::kTryTimeoutMs)

#define TRY_COMPARE_WITH_TIMEOUT(expr, expected, timeoutMs)                                  \
    do {                                                                                     \
        static_cast<void>(QTest::qWaitFor([&] { return (expr) == (expected); }, timeoutMs)); \
        QCOMPARE(expr, expected);                                                            \
    } while (false)

#define TRY_COMPARE(expr, expected) \
    TRY_COMPARE_WITH_TIMEOUT(expr, expected, ::qm3270::test::kTryTimeoutMs)
