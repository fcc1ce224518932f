// Running a piece of a test in a child process of its own (under limits or another user
// that must not touch the test itself) and getting back the text it reports.
#pragma once

#include <functional>
#include <string>

namespace zenta::test {

// Forks; the child runs `prepare` (false ends it as a failure) and then `work`, and sends
// back what `work` returns. Fails the test when the child does not end normally.
std::string RunInChild(const std::function<bool()>& prepare, const std::function<std::string()>& work);

}  // namespace zenta::test
