#pragma once

#include <chrono>

#include <QTest>

// Generous: the test machine is shared with other builds.
inline constexpr std::chrono::milliseconds kPatience = std::chrono::seconds(20);

// Processes events until predicate holds; false when it still does not after kPatience.
template <class Predicate>
bool WaitUntil(Predicate predicate)
{
    return QTest::qWaitFor(predicate, static_cast<int>(kPatience.count()));
}
