#pragma once

#include <functional>

namespace verdane::test {

// Processes events until the condition holds or the time is up; returns the condition.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

} // namespace verdane::test
